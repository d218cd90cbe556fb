#include "EngineTestSupport.h"

#include "CFakeFileSystem.h"
#include "CSqlReader.h"
#include "CStatementTexts.h"
#include "CTempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

const CCommandTypeCatalog& TestCatalog() {
    static const CCommandTypeCatalog catalog;
    return catalog;
}

std::vector<std::string> RealTraces() {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VELQUOR_TRACES_DIR, error)) {
        if (entry.path().extension() == ".trc") {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

namespace {

CTimeViews FileModeViews(const std::vector<std::string>& paths, bool showSys,
                         const std::string& flags, std::int64_t pieceBytes) {
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    std::string list;
    for (const std::string& path : paths) {
        list += path + "|";
    }
    analyzer.SetPath(list);
    analyzer.SetShowSys(showSys ? 1 : 0);
    analyzer.SetTypeFlags(flags);
    if (pieceBytes > 0) {
        analyzer.Reader().SetPieceBytes(pieceBytes);
    }
    analyzer.ReadFileList();
    EXPECT_TRUE(notifier.messages.empty());
    return TimeViewsOf(analyzer);
}

// Cut points that split `size` bytes into `pieces` random parts.
std::vector<std::size_t> RandomCuts(std::size_t size, int pieces, std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> at(0, size);
    std::vector<std::size_t> cuts{0, size};
    for (int i = 1; i < pieces; ++i) {
        cuts.push_back(at(random));
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

} // namespace

std::vector<CStatementRecord> FileModeRecords(const std::vector<std::string>& paths, bool showSys,
                                              const std::string& flags, std::int64_t pieceBytes) {
    return FileModeViews(paths, showSys, flags, pieceBytes).records;
}

CTimeViews FileModeViews(const std::vector<std::string>& paths, bool showSys,
                         std::int64_t pieceBytes) {
    return FileModeViews(paths, showSys, "", pieceBytes);
}

std::vector<CStatementRecord> FollowWhileWriting(const std::vector<CTraceFileBytes>& files,
                                                 int pieces, std::mt19937& random, bool showSys,
                                                 std::int64_t readBytes) {
    return FollowViewsWhileWriting(files, pieces, random, showSys, readBytes).records;
}

CTimeViews FollowViewsWhileWriting(const std::vector<CTraceFileBytes>& files, int pieces,
                                   std::mt19937& random, bool showSys, std::int64_t readBytes) {
    CTempFolder folder;
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CRecordingNotifier notifier;
    CTraceAnalyzer live(TestCatalog(), fileSystem, shares, notifier);
    live.SetPath(folder.Path());
    live.SetShowSys(showSys);
    if (readBytes > 0) {
        live.Reader().SetPieceBytes(readBytes);
    }
    live.ReadFolder();
    std::vector<std::vector<std::size_t>> cuts;
    for (const CTraceFileBytes& file : files) {
        cuts.push_back(RandomCuts(file.bytes.size(), pieces, random));
    }
    std::int64_t listed = 0;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(pieces); ++i) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            const std::string_view bytes = files[f].bytes;
            CTempFolder::Append(folder.File(files[f].name),
                                bytes.substr(cuts[f][i - 1], cuts[f][i] - cuts[f][i - 1]));
            const CApplyResult result = live.ReadFolder();
            EXPECT_EQ(result.firstAppended, listed);
            listed += result.appendedCount;
            for (const std::int64_t row : result.updatedRows) {
                EXPECT_LT(row, listed);
            }
        }
    }
    live.ReadFolder();
    EXPECT_TRUE(notifier.messages.empty());
    return TimeViewsOf(live);
}

std::vector<CStatementRecord> FileModeRecordsOf(const std::vector<CTraceFileBytes>& files,
                                                bool showSys, std::int64_t pieceBytes) {
    return FileModeViewsOf(files, showSys, pieceBytes).records;
}

CTimeViews FileModeViewsOf(const std::vector<CTraceFileBytes>& files, bool showSys,
                           std::int64_t pieceBytes) {
    CTempFolder folder;
    std::vector<std::string> paths;
    for (const CTraceFileBytes& file : files) {
        paths.push_back(folder.File(file.name));
        CTempFolder::Write(paths.back(), file.bytes);
    }
    return FileModeViews(paths, showSys, "", pieceBytes);
}

CTimeViews TimeViewsOf(const CTraceAnalyzer& analyzer) {
    CTimeViews views;
    views.records = RecordsOf(analyzer);
    views.profile = analyzer.Profile({}, std::nullopt, false);
    views.withoutIdle = analyzer.Profile({}, std::nullopt, true);
    for (std::size_t tag = 0; tag < kSessionTagCount; ++tag) {
        views.cuts.push_back(analyzer.Profile({}, static_cast<ESessionTag>(tag), false));
    }
    const CSqlGroupTable groups = analyzer.SqlGroups(false, true);
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        views.groups.push_back(groups.Row(i));
    }
    views.tree = analyzer.CallTree();
    return views;
}

namespace {

// Serials as the positions of their records, so that readers that gave out serials in other
// orders can be compared.
class CSerialPositions {
public:
    explicit CSerialPositions(const std::vector<CStatementRecord>& records) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            m_positions[records[i].m_nSerial] = i;
        }
    }
    std::uint64_t operator()(std::uint64_t serial) const {
        const auto found = m_positions.find(serial);
        return found == m_positions.end() ? ~std::uint64_t{0} : found->second;
    }

private:
    std::map<std::uint64_t, std::uint64_t> m_positions;
};

void Renumber(std::vector<CCallTreeNode>& nodes, const CSerialPositions& positions) {
    for (CCallTreeNode& node : nodes) {
        if (node.statement.kind == CStatementRef::EKind::Serial) {
            node.statement.value = positions(node.statement.value);
        }
        Renumber(node.children, positions);
    }
    std::sort(nodes.begin(), nodes.end(), [](const CCallTreeNode& a, const CCallTreeNode& b) {
        return a.statement < b.statement;
    });
}

void Renumber(std::vector<CCallTreeRow>& rows, const CSerialPositions& positions) {
    for (CCallTreeRow& row : rows) {
        if (row.statement.kind == CStatementRef::EKind::Serial) {
            row.statement.value = positions(row.statement.value);
        }
        Renumber(row.children, positions);
    }
}

void Renumber(std::vector<CStatementRecord>& records, const CSerialPositions& positions) {
    for (CStatementRecord& record : records) {
        record.m_nSerial = positions(record.m_nSerial);
        if (!record.CallTree().IsEmpty()) {
            std::vector<CCallTreeNode> nodes = record.CallTree().Nodes();
            Renumber(nodes, positions);
            record.EditCallTree() = {};
            record.EditCallTree().Add(std::move(nodes));
        }
    }
}

CTimeViews Renumbered(CTimeViews views) {
    const CSerialPositions positions(views.records);
    Renumber(views.records, positions);
    for (CSqlGroupRow& group : views.groups) {
        group.firstSerial = positions(group.firstSerial);
    }
    Renumber(views.tree, positions);
    return views;
}

} // namespace

void ExpectSameViews(const CTimeViews& actual, const CTimeViews& expected) {
    const CTimeViews a = Renumbered(actual);
    const CTimeViews e = Renumbered(expected);
    ExpectSameRecords(a.records, e.records);
    EXPECT_TRUE(a.profile == e.profile);
    EXPECT_TRUE(a.withoutIdle == e.withoutIdle);
    EXPECT_TRUE(a.cuts == e.cuts);
    EXPECT_TRUE(a.groups == e.groups);
    EXPECT_TRUE(a.tree == e.tree);
}

std::vector<CStatementRecord> RecordsOf(const CTraceAnalyzer& analyzer) {
    std::vector<CStatementRecord> records;
    for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
        records.push_back(WithTextsCopied(analyzer, analyzer.GetRecord(i)));
    }
    return records;
}

// The form a record has when its texts are copied: records of file mode and of live mode
// then compare equal when they say the same.
CStatementRecord WithTextsCopied(const CTraceAnalyzer& analyzer, const CStatementRecord& record) {
    CStatementRecord copy = record;
    std::string error;
    EXPECT_TRUE(analyzer.Texts().Block(record, copy.EditNode(), error)) << error;
    std::vector<std::string> operations;
    EXPECT_TRUE(analyzer.Texts().PlanOperations(record, operations, error)) << error;
    std::string_view sql;
    CSqlReader sqls(analyzer.Texts());
    EXPECT_TRUE(sqls.Read(record, sql, error)) << error;
    copy.SetSql(CSharedText(sql));
    copy.SetContext(CRecordContext::Make(std::string(record.Pid()), nullptr, record.Tags(),
                                         record.Trace().process));
    copy.m_nBlockOffset = 0;
    copy.m_nBlockBytes = 0;
    copy.CopyPlanTexts(operations);
    return copy;
}

const CRecordTexts& PosixTexts() {
    static CPosixFileSystem s_fileSystem;
    static const CRecordTexts s_texts(s_fileSystem);
    return s_texts;
}

std::string SqlOf(const CStatementRecord& record) {
    std::string_view sql;
    std::string error;
    CSqlReader sqls(PosixTexts());
    EXPECT_TRUE(sqls.Read(record, sql, error)) << error;
    return std::string(sql);
}

std::string RowSourceOf(const CStatementRecord& copied) {
    std::vector<std::string> operations;
    for (const CPlanRow& row : copied.Plan()) {
        operations.emplace_back(copied.PlanTexts().substr(row.textOffset, row.textLength));
    }
    return CStatementTexts::RowSource(copied, operations);
}

void ExpectSameRecords(const std::vector<CStatementRecord>& actual,
                       const std::vector<CReferenceRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const CStatementRecord& a = actual[i];
        const CReferenceRecord& e = expected[i];
        SCOPED_TRACE("record " + std::to_string(i));
        ASSERT_EQ(a.Node(), e.node);
        ASSERT_EQ(a.UserId(), e.userId);
        ASSERT_EQ(a.Pid(), e.pid);
        ASSERT_EQ(a.Trace().session.value_or(""), e.session);
        ASSERT_EQ(SqlOf(a), e.sql);
        ASSERT_EQ(a.OctName(), e.octName);
        ASSERT_EQ(a.Error(), e.error);
        ASSERT_EQ(a.Parse(), e.parse);
        ASSERT_EQ(a.Exec(), e.exec);
        ASSERT_EQ(a.Fetch(), e.fetch);
        ASSERT_EQ(a.Total(), e.total);
        ASSERT_EQ(a.Self(), e.self);
        ASSERT_EQ(a.Waits(), e.waits);
        ASSERT_EQ(CStatementTexts::CallStats(a), e.callStats);
        ASSERT_EQ(RowSourceOf(a), e.rowSource);
    }
}

void ExpectSameRecords(std::vector<CStatementRecord> actual,
                       std::vector<CStatementRecord> expected) {
    ASSERT_EQ(actual.size(), expected.size());
    Renumber(actual, CSerialPositions(actual));
    Renumber(expected, CSerialPositions(expected));
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        ASSERT_EQ(actual[i].Node(), expected[i].Node());
        ASSERT_TRUE(actual[i] == expected[i]);
    }
}

std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql) {
    const std::string id = "#" + std::to_string(cursor);
    return "=====================\n"
           "PARSING IN CURSOR " +
           id + " len=" + std::to_string(sql.size()) + " dep=0 uid=" + std::to_string(uid) +
           " oct=" + std::to_string(oct) + " lid=0 tim=1 hv=1 ad='1' sqlid='x'\n" + sql +
           "\nEND OF STMT\n"
           "PARSE " +
           id +
           ":c=10,e=12,p=0,cr=1,cu=0,mis=1,r=0,dep=0,og=1,plh=0,tim=2\n"
           "EXEC " +
           id +
           ":c=20,e=22,p=1,cr=2,cu=3,mis=0,r=4,dep=0,og=1,plh=0,tim=3\n"
           "FETCH " +
           id + ":c=30,e=32,p=2,cr=3,cu=4,mis=0,r=5,dep=0,og=1,plh=0,tim=4\n";
}
