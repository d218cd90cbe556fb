#include "CFakeFileSystem.h"
#include "CReadFingerprint.h"
#include "CSqlReader.h"
#include "CTempFolder.h"
#include "EngineTestSupport.h"
#include "IReadProgress.h"
#include "TraceText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <random>
#include <sstream>

namespace {

std::vector<CReferenceRecord> ReferenceRecords(const std::string& path, bool showSys,
                                               const std::string& flags = "") {
    CReferenceAnalyzer reference(TestCatalog(), showSys, flags);
    reference.SplitBlocks(CTempFolder::Read(path), path);
    return reference.Records();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

TEST(FileMode, RealTracesGiveTheRecordsOfThePlainReading) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    std::string hideSelect(144, '1');
    hideSelect[73] = '0';
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        ExpectSameRecords(FileModeRecords({path}, true), ReferenceRecords(path, true));
        ExpectSameRecords(FileModeRecords({path}, false, hideSelect),
                          ReferenceRecords(path, false, hideSelect));
    }
}

// Files larger than one read piece are cut at separator lines and analysed in parallel; the
// records must be those of the whole text, for LF and CR LF line ends.
TEST(FileMode, BigFilesReadInPiecesGiveTheRecordsOfTheWholeText) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    std::string all;
    for (const std::string& path : traces) {
        all += CTempFolder::Read(path);
    }
    CTempFolder folder;
    const std::string lf = folder.File("all_ora_1.trc");
    const std::string crlf = folder.File("all_ora_2.trc");
    CTempFolder::Write(lf, all);
    CTempFolder::Write(crlf, WithCrLf(all));
    ASSERT_GT(all.size(), 8u << 20) << "the test needs several pieces";
    for (const std::string& path : {lf, crlf}) {
        SCOPED_TRACE(path);
        ExpectSameRecords(FileModeRecords({path}, true), ReferenceRecords(path, true));
    }
}

// Statements whose lines fall in later pieces than their headers: thousands of piece borders
// must give the records of the plain reading, with the cursor bindings, plans, waits and self
// figures carried across them.
TEST(FileMode, SmallPiecesGiveTheRecordsOfThePlainReading) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        const auto expected = ReferenceRecords(path, true);
        const CTimeViews whole = FileModeViews({path}, true, std::int64_t{1} << 26); // one piece
        for (const std::int64_t pieceBytes : {2000, 100000}) {
            SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
            const CTimeViews pieces = FileModeViews({path}, true, pieceBytes);
            ExpectSameRecords(pieces.records, expected);
            ExpectSameViews(pieces, whole);
        }
    }
}

// A text without separator lines is cut at line breaks into pieces analysed one after the
// other, and gives what it gives read in one piece.
TEST(FileMode, TextsWithoutSeparatorsAreCutAtLines) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    CTempFolder folder;
    for (const std::string& trace : traces) {
        SCOPED_TRACE(trace);
        std::istringstream lines(CTempFolder::Read(trace));
        std::string text;
        for (std::string line; std::getline(lines, line);) {
            const std::string_view bare = std::string_view(line).substr(0, line.find('\r'));
            if (!IsSeparatorLine(bare)) {
                text += line + '\n';
            }
        }
        const std::string path = folder.File("flat_ora_1.trc");
        CTempFolder::Write(path, text);
        const CTimeViews whole = FileModeViews({path}, true, std::int64_t{1} << 26);
        for (const std::int64_t pieceBytes : {300, 100000}) {
            SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
            ExpectSameViews(FileModeViews({path}, true, pieceBytes), whole);
        }
    }
}

// Handed over in many small batches while the files are read, with later lines of records
// already handed over arriving as deltas, the records end as one batch would make them.
TEST(FileMode, RecordsHandedOverWhileReadingEndAsOneBatch) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    const auto expected = FileModeRecords(traces, true);
    CPosixFileSystem fileSystem;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, notifier);
    analyzer.SetFiles(traces);
    analyzer.SetShowSys(1);
    analyzer.Reader().SetPieceBytes(3000);
    analyzer.Reader().SetBatchRecords(1);
    int batches = 0;
    std::size_t deltas = 0;
    analyzer.Apply(analyzer.Reader().ReadFileList(nullptr, [&](CReadBatch&& batch) {
        ++batches;
        deltas += batch.updated.size();
        const std::int64_t before = analyzer.GetCount();
        EXPECT_EQ(analyzer.Apply(std::move(batch)).firstAppended, before);
    }));
    EXPECT_GT(batches, 100);
    EXPECT_GT(deltas, 100u);
    ExpectSameRecords(RecordsOf(analyzer), expected);
}

// SQL texts left in the file come back through one reader whatever order the records are read
// in: in the file's order window by window, in any other order block by block, and a text
// longer than a window whole. Lines end in LF or CR LF; a text may end before "END OF STMT" on
// its last line.
TEST(FileMode, SqlTextsReadBackInAnyOrderAreTheOnesWritten) {
    CTempFolder folder;
    const std::string path = folder.File("texts_ora_8.trc");
    std::mt19937_64 random(8);
    std::vector<std::string> expected;
    std::string trace;
    for (int i = 0; i < 400; ++i) {
        const std::size_t lines = i % 97 == 1 ? 6000 : random() % 6;
        std::string sql;
        std::string written;
        for (std::size_t k = 0; k < lines; ++k) {
            const std::string line = "select " + std::string(random() % 80, 'a' + i % 26) +
                                     " from t" + std::to_string(k);
            written += line + (random() % 2 == 0 ? "\r\n" : "\n");
            sql += line + "\r\n";
        }
        if (i % 5 == 0) {
            written += "tail";
            sql += "tail";
        }
        trace += "=====================\nPARSING IN CURSOR #" + std::to_string(i % 7) +
                 " len=1 dep=0 uid=5 oct=3 lid=0 tim=1 hv=" + std::to_string(i + 1) + "\n" +
                 written + "END OF STMT\nEXEC #" + std::to_string(i % 7) +
                 ":c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=2\n";
        expected.push_back(sql);
    }
    CTempFolder::Write(path, trace);
    CPosixFileSystem fileSystem;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, notifier);
    analyzer.SetFiles({path});
    analyzer.ReadFileList();
    ASSERT_EQ(analyzer.GetCount(), 400);
    std::vector<std::int64_t> order(400);
    std::iota(order.begin(), order.end(), 0);
    const std::vector<std::int64_t> inFileOrder = order;
    std::vector<std::int64_t> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    for (const auto& rows :
         {inFileOrder, std::vector<std::int64_t>(order.rbegin(), order.rend()), shuffled}) {
        CSqlReader sqls(analyzer.Texts());
        for (const std::int64_t row : rows) {
            const CStatementRecord& record = analyzer.GetRecord(row);
            ASSERT_TRUE(record.SqlInFile()) << row;
            ASSERT_EQ(sqls.Sql(record), expected[static_cast<std::size_t>(row)]) << row;
        }
    }
}

TEST(FileMode, EachListedFileIsReadOnceInPathOrder) {
    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    fileSystem.Put("/t/b_ora_2.trc", CursorBlock(1, 5, 3, "from b"));
    fileSystem.Put("/t/a_ora_1.trc", CursorBlock(1, 5, 3, "from a"));
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath("/t/b_ora_2.trc||/t/a_ora_1.trc|/t/b_ora_2.trc|/t/missing.trc|");
    analyzer.SetShowSys(1);
    analyzer.ReadFileList();
    EXPECT_EQ(fileSystem.reads, (std::vector<std::string>{"/t/a_ora_1.trc", "/t/b_ora_2.trc"}));
    ASSERT_EQ(analyzer.GetCount(), 2);
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(0)), "from a\r\n");
    EXPECT_EQ(analyzer.GetRecord(0).Pid(), "1");
    EXPECT_EQ(analyzer.GetRecord(1).Pid(), "2");
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{"wrong at get filestatus"}));
}

TEST(FileMode, AFileNamedSeveralWaysIsReadOnce) {
    CTempFolder folder;
    const std::string path = folder.File("x_ora_5.trc");
    CTempFolder::Write(path, CursorBlock(1, 5, 3, "once"));
    std::filesystem::create_symlink(path, folder.File("link_ora_5.trc"));
    const auto records =
        FileModeRecords({folder.Path() + "/./x_ora_5.trc", path, folder.Path() + "//x_ora_5.trc",
                         folder.File("link_ora_5.trc")},
                        true);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(SqlOf(records[0]), "once\r\n");
}

TEST(FileMode, AFileWhoseSizeReadsZeroIsReadToItsEnd) {
    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    fileSystem.Put("/proc/a_ora_1.trc", CursorBlock(1, 5, 3, "one") + CursorBlock(2, 5, 3, "two"));
    fileSystem.At("/proc/a_ora_1.trc").status.size = 0;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath("/proc/a_ora_1.trc|");
    analyzer.SetShowSys(1);
    analyzer.ReadFileList();
    EXPECT_EQ(analyzer.GetCount(), 2);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST(FileMode, AFileThatCannotBeReadWholeIsReportedAndTheOthersAreRead) {
    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    fileSystem.Put("/t/a_ora_1.trc", CursorBlock(1, 5, 3, "from a"));
    fileSystem.Put("/t/b_ora_2.trc", CursorBlock(1, 5, 3, "from b"));
    fileSystem.At("/t/a_ora_1.trc").failure = ITraceFileSystem::ReadResult::Short;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath("/t/a_ora_1.trc|/t/b_ora_2.trc|");
    analyzer.SetShowSys(1);
    analyzer.ReadFileList();
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{"/t/a_ora_1.trc: Input/output error",
                                                           "wrong at reading trace file"}));
    ASSERT_EQ(analyzer.GetCount(), 1);
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(0)), "from b\r\n");
}

// A line longer than the bound is kept as its first bytes, and said to be cut once, with its
// number, wherever the pieces fall; the lines after it are read as they are.
TEST(FileMode, ALineLongerThanTheBoundIsCut) {
    const std::string longSql = "select '" + std::string(5000, 'x') + "' from dual";
    const std::string text = CursorBlock(1, 5, 3, "select 1 from dual") +
                             CursorBlock(2, 5, 3, longSql) + CursorBlock(3, 5, 3, "select 3");
    const auto line = 1 + std::count(text.begin(), text.begin() + text.find(longSql), '\n');
    for (const std::int64_t pieceBytes : {64, 300, 1000}) {
        SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
        CFakeFileSystem fileSystem;
        CFakeShares shares;
        CRecordingNotifier notifier;
        fileSystem.Put("/t/a_ora_1.trc", text);
        CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
        analyzer.SetPath("/t/a_ora_1.trc");
        analyzer.SetShowSys(1);
        analyzer.Reader().SetPieceBytes(pieceBytes);
        analyzer.Reader().SetLongestLine(1000);
        analyzer.ReadFileList();
        EXPECT_EQ(notifier.messages,
                  (std::vector<std::string>{"/t/a_ora_1.trc: line " + std::to_string(line) +
                                            " is longer than 1000 bytes and was cut"}));
        ASSERT_EQ(analyzer.GetCount(), 3);
        EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(0)), "select 1 from dual\r\n");
        EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(2)), "select 3\r\n");
        EXPECT_EQ(analyzer.GetRecord(2).Pid(), "1");
    }
}

// The analysis of each piece finds the zero byte that ends a file's text, wherever the pieces
// fall: the records are those of the text before it, later pieces add nothing, and the zero's
// offset is reported. A long run of zeros, which holds no separator, is not read to its end.
TEST(FileMode, AZeroByteEndsTheTextInWhicheverPieceItFalls) {
    std::mt19937 random(13);
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += CursorBlock(1 + i % 7, 5, 3, "select " + std::to_string(i) + " from dual") +
                "WAIT #" + std::to_string(1 + i % 5) +
                ": nam='db file sequential read' ela= " + std::to_string(i) +
                " file#=1 block=2 blocks=1 obj#=3 tim=" + std::to_string(i) + "\n";
    }
    std::int64_t bytesRead = 0;
    const auto read = [&bytesRead](const std::string& bytes, std::int64_t pieceBytes,
                                   std::vector<std::string>& messages) {
        CFakeFileSystem fileSystem;
        CFakeShares shares;
        CRecordingNotifier notifier;
        fileSystem.Put("/t/z_ora_1.trc", bytes);
        CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
        analyzer.SetPath("/t/z_ora_1.trc|");
        analyzer.SetShowSys(1);
        analyzer.Reader().SetPieceBytes(pieceBytes);
        analyzer.ReadFileList();
        bytesRead = fileSystem.bytesRead;
        messages = notifier.messages;
        return RecordsOf(analyzer);
    };
    for (int round = 0; round < 40; ++round) {
        const std::size_t zero =
            std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
        const std::int64_t pieceBytes =
            std::uniform_int_distribution<std::int64_t>(100, 6000)(random);
        std::string bytes = text;
        if (round % 4 == 0) {
            bytes.replace(zero, std::string::npos, 1 << 20, '\0');
        } else {
            bytes[zero] = '\0';
        }
        SCOPED_TRACE("zero at " + std::to_string(zero) + ", pieces of " +
                     std::to_string(pieceBytes));
        std::vector<std::string> messages;
        const auto expected = read(text.substr(0, zero), 1 << 20, messages);
        ASSERT_TRUE(messages.empty());
        ExpectSameRecords(read(bytes, pieceBytes, messages), expected);
        EXPECT_EQ(messages, (std::vector<std::string>{
                                "/t/z_ora_1.trc: a zero byte at offset " + std::to_string(zero) +
                                    " ends its text; the rest of the file is not read",
                                "wrong at reading trace file"}));
        if (round % 4 == 0) {
            // The head read at once, and the fingerprint's head and tail.
            EXPECT_LE(bytesRead, static_cast<std::int64_t>(zero) + 2 * pieceBytes + (64 << 10) +
                                     2 * CReadFingerprint::kBytes);
        }
    }
}

TEST(FileMode, EmptyAndStatementFreeTracesGiveNoRecords) {
    CTempFolder folder;
    CTempFolder::Write(folder.File("a.trc"), "");
    CTempFolder::Write(folder.File("b.trc"), "*** header\nWAIT #0: nam='x'\n\n");
    EXPECT_TRUE(FileModeRecords({folder.File("a.trc"), folder.File("b.trc")}, true).empty());
}

// Two names of one file (hard links) are one file: its statements count once, as read under
// its first name.
TEST(FileMode, AFileUnderTwoNamesIsReadOnce) {
    CTempFolder folder;
    CTempFolder::Write(folder.File("a_ora_1.trc"), CursorBlock(1, 5, 3, "from a"));
    CTempFolder::Write(folder.File("c_ora_3.trc"), CursorBlock(1, 5, 3, "from c"));
    std::filesystem::create_hard_link(folder.File("a_ora_1.trc"), folder.File("b_ora_2.trc"));
    const std::vector<CStatementRecord> linked = FileModeRecords(
        {folder.File("c_ora_3.trc"), folder.File("b_ora_2.trc"), folder.File("a_ora_1.trc")}, true);
    ExpectSameRecords(
        linked, FileModeRecords({folder.File("a_ora_1.trc"), folder.File("c_ora_3.trc")}, true));
}

class CCancelAfter final : public IReadProgress {
public:
    explicit CCancelAfter(int calls) : m_nCalls(calls) {}
    bool OnProgress(std::int64_t done, std::int64_t total) override {
        lastDone = done;
        lastTotal = total;
        return --m_nCalls > 0;
    }
    std::int64_t lastDone = 0;
    std::int64_t lastTotal = 0;

private:
    int m_nCalls;
};

TEST(FileMode, ProgressCountsBytesAndCancelStopsTheRead) {
    std::string big;
    for (int i = 0; big.size() < (20u << 20); ++i) {
        big += CursorBlock(i, 5, 3, "select " + std::to_string(i) + std::string(200, 'x'));
    }
    CTempFolder folder;
    const std::string path = folder.File("big_ora_9.trc");
    CTempFolder::Write(path, big);

    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CRecordingNotifier notifier;
    CCancelAfter all(1000);
    CTraceAnalyzer whole(TestCatalog(), fileSystem, shares, notifier);
    whole.SetPath(path + "|");
    whole.SetShowSys(1);
    whole.ReadFileList(&all);
    EXPECT_EQ(all.lastDone, static_cast<std::int64_t>(big.size()));
    EXPECT_EQ(all.lastTotal, static_cast<std::int64_t>(big.size()));

    CCancelAfter once(1);
    CTraceAnalyzer cancelled(TestCatalog(), fileSystem, shares, notifier);
    cancelled.SetPath(path + "|");
    cancelled.SetShowSys(1);
    const CReadBatch batch = cancelled.Reader().ReadFileList(&once);
    EXPECT_TRUE(batch.cancelled);
    EXPECT_GT(batch.appended.Size(), 0u);
    EXPECT_LT(static_cast<std::int64_t>(batch.appended.Size()), whole.GetCount());
    for (std::size_t i = 0; i < batch.appended.Size(); ++i) {
        ASSERT_EQ(batch.appended.At(i).m_nBlockOffset,
                  whole.GetRecord(static_cast<std::int64_t>(i)).m_nBlockOffset);
    }
}

// A block longer than a read piece has no separator to cut at: the piece grows until one
// comes, and progress still counts every byte.
TEST(FileMode, BlockLongerThanAPieceIsReadWhole) {
    std::string text = CursorBlock(1, 5, 3, "select * from big");
    while (text.size() < (12u << 20)) {
        text += "WAIT #1: nam='db file sequential read' ela= 12 file#=4 block#=1 blocks=1\n";
    }
    text += "FETCH #1:c=5,e=6,p=0,cr=1,cu=0,mis=0,r=9,dep=0\n" + CursorBlock(2, 5, 2, "insert");
    CTempFolder folder;
    const std::string path = folder.File("long_ora_3.trc");
    CTempFolder::Write(path, text);
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CRecordingNotifier notifier;
    CCancelAfter progress(1000);
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath(path + "|");
    analyzer.SetShowSys(1);
    analyzer.ReadFileList(&progress);
    EXPECT_EQ(progress.lastDone, static_cast<std::int64_t>(text.size()));
    ExpectSameRecords(RecordsOf(analyzer), ReferenceRecords(path, true));
    ASSERT_EQ(analyzer.GetCount(), 2);
    EXPECT_EQ(analyzer.GetRecord(0).Fetch().rows, 5 + 9);
}

} // namespace
