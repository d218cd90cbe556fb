#include "CFakeFileSystem.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

class LiveRules : public testing::Test {
protected:
    LiveRules() : analyzer(TestCatalog(), fileSystem, shares, notifier) {
        analyzer.SetPath("/live");
        analyzer.SetShowSys(1);
    }

    void Append(const std::string& path, const std::string& bytes, std::int64_t tick = 1) {
        const auto existing = Exists(path) ? fileSystem.At(path).bytes : std::string();
        fileSystem.Put(path, existing + bytes, tick);
    }
    bool Exists(const std::string& path) {
        std::string error;
        CFileStatus status;
        return fileSystem.GetStatus(path, status, error);
    }
    std::vector<std::string> Sqls() {
        std::vector<std::string> sqls;
        for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
            sqls.emplace_back(analyzer.GetRecord(i).GetSql());
        }
        return sqls;
    }

    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer;
};

TEST_F(LiveRules, FilesPresentAtTheFirstReadAreFollowedFromTheirEnd) {
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "old a"));
    Append("/live/b_ora_2.trc", CursorBlock(1, 5, 3, "old b"));
    EXPECT_EQ(analyzer.ReadFolder().appendedCount, 0);
    Append("/live/a_ora_1.trc", CursorBlock(2, 5, 3, "new a"));
    Append("/live/c_ora_3.trc", CursorBlock(1, 5, 3, "c from its start"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"new a\r\n", "c from its start\r\n"}));
}

TEST_F(LiveRules, ReplacedAndTruncatedFilesAreReadAgainWithoutHoldingBackOthers) {
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "a1") + CursorBlock(2, 5, 3, "a2"));
    Append("/live/b_ora_2.trc", CursorBlock(1, 5, 3, "b1"));
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 3);

    fileSystem.Put("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "a truncated"));
    Append("/live/b_ora_2.trc", CursorBlock(2, 5, 3, "b2"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"a1\r\n", "a2\r\n", "b1\r\n", "a truncated\r\n",
                                                "b2\r\n"}));

    fileSystem.Remove("/live/b_ora_2.trc");
    Append("/live/b_ora_2.trc", CursorBlock(1, 5, 3, "b replaced"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls().back(), "b replaced\r\n");
}

TEST_F(LiveRules, GrowthWithinOneTimestampIsNoticedBySize) {
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "first"));
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc", CursorBlock(2, 5, 3, "same tick"), 0);
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"first\r\n", "same tick\r\n"}));
}

TEST_F(LiveRules, LinesAreNeverCutAndTheOpenBlockIsUpdatedInPlace) {
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc",
           "=====================\nPARSING IN CURSOR #4 len=9 uid=5 oct=3\nsel");
    CApplyResult result = analyzer.ReadFolder();
    EXPECT_EQ(result.appendedCount, 1) << "a statement shows with its first whole lines";
    EXPECT_EQ(analyzer.GetRecord(0).GetSql(), "");

    Append("/live/a_ora_1.trc", "ect 1\nEND OF STMT\nEXEC #4:c=5,e=6,p=0,cr=0\n");
    result = analyzer.ReadFolder();
    EXPECT_EQ(result.appendedCount, 0);
    EXPECT_EQ(result.updatedRows, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(analyzer.GetRecord(0).GetSql(), "select 1\r\n");
    EXPECT_EQ(analyzer.GetRecord(0).m_exec.count, 1);

    Append("/live/a_ora_1.trc",
           "FETCH #4:c=1,e=1,p=0,r=7,dep=0\n" + CursorBlock(5, 5, 2, "insert"));
    result = analyzer.ReadFolder();
    EXPECT_EQ(result.firstAppended, 1);
    EXPECT_EQ(result.appendedCount, 1);
    ASSERT_EQ(analyzer.GetCount(), 2);
    EXPECT_EQ(analyzer.GetRecord(0).m_fetch.rows, 7);
    EXPECT_EQ(analyzer.GetRecord(1).GetSql(), "insert\r\n");
    EXPECT_TRUE(analyzer.ReadFolder().updatedRows.empty()) << "nothing new, nothing redrawn";
}

TEST_F(LiveRules, ClearDropsRecordsAndForgetsOpenBlocks) {
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "before clear"));
    analyzer.ReadFolder();
    analyzer.Clear();
    EXPECT_EQ(analyzer.ReadFolder().appendedCount, 0);
    Append("/live/a_ora_1.trc", "WAIT #1: nam='more of the old block'\n");
    analyzer.ReadFolder();
    EXPECT_EQ(analyzer.GetCount(), 0) << "read statements never come back";
    Append("/live/a_ora_1.trc", CursorBlock(2, 5, 3, "after clear"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"after clear\r\n"}));
}

// A folder that cannot be listed is told once when it goes and once when it is back, in the
// batch: the front ends say it, no message box does. What was written meanwhile is read.
TEST_F(LiveRules, AMissingFolderIsToldOnceGoneAndOnceBack) {
    using Change = CReadBatch::FolderChange;
    const auto read = [this] {
        CReadBatch batch = analyzer.Reader().ReadFolder();
        std::pair<Change, std::string> told(batch.folderChange, batch.folderMessage);
        analyzer.Apply(std::move(batch));
        return told;
    };
    fileSystem.missingFolders.insert("/live"); // missing from the start
    EXPECT_EQ(read(), std::pair(Change::Missing, std::string("Trace folder unavailable, waiting "
                                                             "for it: /live: No such file or "
                                                             "directory")));
    EXPECT_EQ(read().first, Change::None) << "told once";
    fileSystem.missingFolders.clear();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "written as it appeared"));
    EXPECT_EQ(read(),
              std::pair(Change::Back, std::string("Trace folder available, following it: /live")));
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"written as it appeared\r\n"}));
    EXPECT_EQ(read().first, Change::None);

    fileSystem.missingFolders.insert("/live"); // deleted with its file
    fileSystem.Remove("/live/a_ora_1.trc");
    EXPECT_EQ(read().first, Change::Missing);
    EXPECT_EQ(read().first, Change::None);
    fileSystem.missingFolders.clear();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "recreated"));
    EXPECT_EQ(read().first, Change::Back);
    EXPECT_EQ(Sqls().back(), "recreated\r\n");
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(LiveRules, FailedReadsAreRetriedAfterTheNextChangeAndErrorsAreReported) {
    analyzer.ReadFolder();
    Append("/live/a_ora_1.trc", CursorBlock(1, 5, 3, "one"));
    fileSystem.At("/live/a_ora_1.trc").failure = ITraceFileSystem::ReadResult::Short;
    analyzer.ReadFolder();
    fileSystem.At("/live/a_ora_1.trc").failure = ITraceFileSystem::ReadResult::Done;
    analyzer.ReadFolder();
    EXPECT_EQ(analyzer.GetCount(), 0) << "no retry before the file changes";
    EXPECT_TRUE(notifier.messages.empty());

    Append("/live/a_ora_1.trc", CursorBlock(2, 5, 3, "two"));
    fileSystem.At("/live/a_ora_1.trc").failure = ITraceFileSystem::ReadResult::Error;
    analyzer.ReadFolder();
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{"/live/a_ora_1.trc: Input/output error",
                                                           "wrong at reading trace file"}));
    fileSystem.At("/live/a_ora_1.trc").failure = ITraceFileSystem::ReadResult::Done;
    Append("/live/a_ora_1.trc", CursorBlock(3, 5, 3, "three"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}));
}

struct CShareCase {
    const char* path;
    int driveType;
    const char* remembered;
    bool result;
    std::vector<std::string> calls;
};

class ShareConnection : public testing::TestWithParam<CShareCase> {};

TEST_P(ShareConnection, ConnectsOnlyWhatNeedsIt) {
    const CShareCase& c = GetParam();
    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    shares.driveType = c.driveType;
    shares.remembered = c.remembered;
    CTraceReader reader(TestCatalog(), fileSystem, shares, notifier);
    reader.SetPath(c.path);
    EXPECT_EQ(reader.ConnectTraceShare(), c.result);
    EXPECT_EQ(shares.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShareConnection,
    testing::Values(CShareCase{"D:\\trace", 0, "", false, {"type D:"}},
                    CShareCase{"D:\\trace", 3, "", true, {"type D:"}},
                    CShareCase{"Z:\\trace",
                               1,
                               "\\\\srv\\share\\",
                               true,
                               {"type Z:", "remote Z:", "connect \\\\srv\\share"}},
                    CShareCase{"Z:\\trace", 1, "C:\\local", false, {"type Z:", "remote Z:"}},
                    CShareCase{"\\\\srv\\trace\\", 0, "", true, {"connect \\\\srv\\trace"}},
                    CShareCase{"/var/trace", 0, "", false, {}}),
    [](const testing::TestParamInfo<CShareCase>& param) {
        return "case" + std::to_string(param.index);
    });

} // namespace
