#include "CFakeFileSystem.h"
#include "CReadFingerprint.h"
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
    // Statements "<prefix> 0" to "<prefix> <count - 1>", each with cursor number i.
    static std::string Blocks(const std::string& prefix, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += CursorBlock(i, 5, 3, prefix + " " + std::to_string(i));
        }
        return text;
    }
    std::vector<std::string> Sqls() {
        std::vector<std::string> sqls;
        for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
            sqls.emplace_back(analyzer.Sql(analyzer.GetRecord(i)));
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

    // Replaced by a larger file that begins with the same bytes: only its identity tells.
    const std::string same = fileSystem.At("/live/b_ora_2.trc").bytes;
    fileSystem.Remove("/live/b_ora_2.trc");
    Append("/live/b_ora_2.trc", same + CursorBlock(2, 5, 3, "b larger"));
    analyzer.ReadFolder();
    const std::vector<std::string> sqls = Sqls();
    EXPECT_EQ(std::vector<std::string>(sqls.end() - 3, sqls.end()),
              (std::vector<std::string>{"b replaced\r\n", "b replaced\r\n", "b larger\r\n"}));
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
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(0)), "");

    Append("/live/a_ora_1.trc", "ect 1\nEND OF STMT\nEXEC #4:c=5,e=6,p=0,cr=0\n");
    result = analyzer.ReadFolder();
    EXPECT_EQ(result.appendedCount, 0);
    EXPECT_EQ(result.updatedRows, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(0)), "select 1\r\n");
    EXPECT_EQ(analyzer.GetRecord(0).Exec().count, 1);

    Append("/live/a_ora_1.trc",
           "FETCH #4:c=1,e=1,p=0,r=7,dep=0\n" + CursorBlock(5, 5, 2, "insert"));
    result = analyzer.ReadFolder();
    EXPECT_EQ(result.firstAppended, 1);
    EXPECT_EQ(result.appendedCount, 1);
    ASSERT_EQ(analyzer.GetCount(), 2);
    EXPECT_EQ(analyzer.GetRecord(0).Fetch().rows, 7);
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(1)), "insert\r\n");
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

TEST_F(LiveRules, AFailingFileIsRetriedAtEveryReadAndReportedOnceEachWay) {
    const std::string path = "/live/a_ora_1.trc";
    Append("/live/old_ora_2.trc", CursorBlock(1, 5, 3, "old"));
    fileSystem.At("/live/old_ora_2.trc").failure = ITraceFileSystem::ReadResult::OpenFailed;
    analyzer.ReadFolder();
    analyzer.ReadFolder();
    EXPECT_TRUE(notifier.messages.empty()) << "a file with nothing new to read is not reported";
    Append(path, CursorBlock(1, 5, 3, "one"));
    fileSystem.At(path).failure = ITraceFileSystem::ReadResult::OpenFailed;
    analyzer.ReadFolder();
    analyzer.ReadFolder();
    const std::vector<std::string> failed{path + ": Input/output error",
                                          "wrong at reading trace file"};
    EXPECT_EQ(notifier.messages, failed) << "reported once, however often it fails";

    fileSystem.At(path).failure = ITraceFileSystem::ReadResult::Done;
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"one\r\n"})) << "read again with no change";
    std::vector<std::string> expected = failed;
    expected.push_back(path + ": can be read again");
    EXPECT_EQ(notifier.messages, expected);

    Append(path, CursorBlock(2, 5, 3, "two"));
    fileSystem.At(path).failure = ITraceFileSystem::ReadResult::Error;
    analyzer.ReadFolder();
    fileSystem.At(path).failure = ITraceFileSystem::ReadResult::Done;
    Append(path, CursorBlock(3, 5, 3, "three"));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}));
    EXPECT_EQ(notifier.messages.size(), 6u);
}

TEST_F(LiveRules, AFileRewrittenBetweenTwoReadsIsReadAgainFromItsStart) {
    const std::string path = "/live/a_ora_1.trc";
    const std::string early = "/live/b_ora_2.trc"; // followed from its end
    Append(early, Blocks("early", 30));
    analyzer.ReadFolder();
    Append(path, Blocks("first", 60) + "WAIT #59: nam='open block' ela= 1\n");
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 60);
    const std::string openBlock(analyzer.GetRecord(59).Node());

    // Cut to zero and written longer within one read period: the size shows no shrink.
    const std::string second = Blocks("second", 80);
    fileSystem.Put(path, second);
    fileSystem.Put(early, Blocks("rewritten", 40));
    analyzer.ReadFolder();
    EXPECT_EQ(analyzer.GetRecord(59).Node(), openBlock) << "new bytes went to an old block";
    ASSERT_EQ(analyzer.GetCount(), 180);
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(60)), "second 0\r\n");
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(140)), "rewritten 0\r\n");

    // Only the first bytes differ: the bytes just before the read position are the same.
    std::string third = second;
    third.replace(third.find("second 0"), 8, "third  0");
    fileSystem.Put(path, third + CursorBlock(1, 5, 3, "more"));
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 261);
    EXPECT_EQ(analyzer.Sql(analyzer.GetRecord(180)), "third  0\r\n");

    // The same bytes with more after them: an append, nothing is read twice.
    fileSystem.Put(path, third + CursorBlock(1, 5, 3, "more") + CursorBlock(2, 5, 3, "last"));
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 262);
    EXPECT_EQ(Sqls().back(), "last\r\n");
}

// A file rewritten in place with other bytes of the same size shows neither growth nor shrink,
// only a later time: the last or the first bytes before the read position tell that it was
// written anew, and it is read again from its first byte.
TEST_F(LiveRules, AFileRewrittenInPlaceToTheSameSizeIsReadAgainFromItsStart) {
    const std::string path = "/live/a_ora_1.trc";
    analyzer.ReadFolder();
    const std::string first = Blocks("first", 60);
    ASSERT_GT(first.size(), 4 * CReadFingerprint::kBytes);
    Append(path, first);
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 60);

    std::string tail = first;
    tail.replace(tail.rfind("first 59"), 8, "fresh 59");
    fileSystem.Put(path, tail);
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 120);
    EXPECT_EQ(Sqls()[60], "first 0\r\n");
    EXPECT_EQ(Sqls()[119], "fresh 59\r\n");

    std::string head = tail;
    head.replace(head.find("first 0"), 7, "fresh 0");
    fileSystem.Put(path, head);
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 180);
    EXPECT_EQ(Sqls()[120], "fresh 0\r\n");
    EXPECT_EQ(Sqls()[179], "fresh 59\r\n");
}

TEST_F(LiveRules, ARenamedFileKeepsItsReadStateUnderItsNewName) {
    analyzer.ReadFolder();
    Append("/live/db_ora_303.trc", Blocks("a", 2));
    Append("/live/db_ora_404.trc", Blocks("b", 2));
    analyzer.ReadFolder();
    ASSERT_EQ(analyzer.GetCount(), 4);

    // Both rotated, with a new file under the old name. The fake lists paths in reverse
    // order: the first file's new name comes before its old one, the second's after it.
    fileSystem.Rename("/live/db_ora_303.trc", "/live/db_ora_303_old.trc");
    fileSystem.Rename("/live/db_ora_404.trc", "/live/a_rotated.trc");
    Append("/live/db_ora_303.trc", CursorBlock(1, 5, 3, "new a"));
    Append("/live/db_ora_404.trc", CursorBlock(1, 5, 3, "new b"));
    Append("/live/db_ora_303_old.trc", "EXEC #1:c=5,e=5,p=0,cr=0,cu=0,mis=0,r=0,dep=0\n");
    Append("/live/a_rotated.trc", CursorBlock(7, 5, 3, "b 2"));
    const CApplyResult result = analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"a 0\r\n", "a 1\r\n", "b 0\r\n", "b 1\r\n",
                                                "b 2\r\n", "new a\r\n", "new b\r\n"}));
    EXPECT_EQ(result.updatedRows, (std::vector<std::int64_t>{1}));
    EXPECT_EQ(analyzer.GetRecord(1).Exec().count, 2);
    EXPECT_EQ(analyzer.GetRecord(4).Pid(), "404") << "the file's tracker came along";
}

TEST_F(LiveRules, ZerosStopTheReadAtTheirLineUntilTheyAreOverwritten) {
    const std::string path = "/live/a_ora_1.trc";
    analyzer.ReadFolder();
    const std::string text = Blocks("z", 3) + "EXEC #2:c=7,e=7,p=0,cr=0,cu=0,mis=0,r=0,dep=0\n" +
                             CursorBlock(3, 5, 3, "z 3");
    const std::size_t hole = text.find("EXEC #2:") + 5;
    fileSystem.Put(path, text.substr(0, hole) + std::string(text.size() - hole + 100, '\0'));
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"z 0\r\n", "z 1\r\n", "z 2\r\n"}));

    fileSystem.At(path).bytes.replace(0, text.size(), text);
    const std::int64_t read = fileSystem.bytesRead;
    analyzer.ReadFolder();
    EXPECT_EQ(fileSystem.bytesRead, read) << "read again only once the file changed";
    fileSystem.At(path).status.modifiedNs += 1;
    analyzer.ReadFolder();
    EXPECT_EQ(Sqls(), (std::vector<std::string>{"z 0\r\n", "z 1\r\n", "z 2\r\n", "z 3\r\n"}));
    EXPECT_EQ(analyzer.GetRecord(2).Exec().count, 2) << "the line that held zeros counts once";
}

TEST_F(LiveRules, AGrowingBlockCostsEachReadOnlyItsNewBytes) {
    const std::string path = "/live/a_ora_1.trc";
    analyzer.ReadFolder();
    Append(path, "=====================\nPARSING IN CURSOR #1 len=9 dep=0 uid=5 oct=3 lid=5\n");
    constexpr int kReads = 400;
    std::size_t written = 0;
    std::size_t carried = 0;
    const std::int64_t readBefore = fileSystem.bytesRead;
    for (int i = 0; i < kReads; ++i) {
        std::string lines = i == kReads / 2 ? "END OF STMT\n" : "";
        for (int k = 0; k < 25; ++k) {
            lines += i < kReads / 2 ? "  and column_" + std::to_string(k) + " = :b1\n"
                                    : "WAIT #1: nam='db file sequential read' ela= 5\n";
        }
        Append(path, lines);
        written += lines.size();
        CReadBatch batch = analyzer.Reader().ReadFolder();
        for (std::size_t r = 0; r < batch.appended.Size(); ++r) {
            const CStatementRecord& record = batch.appended.At(r);
            carried += record.Node().size() + record.SqlCopy().size();
        }
        for (const CRecordDelta& delta : batch.updated) {
            carried += delta.nodeAppend.size() + delta.sqlAppend.size();
        }
        analyzer.Apply(std::move(batch));
    }
    // The SQL lines go to the block and to the SQL text, each once.
    EXPECT_LT(carried, 3 * written);
    EXPECT_LT(fileSystem.bytesRead - readBefore,
              static_cast<std::int64_t>(written) + kReads * 8192);
    ASSERT_EQ(analyzer.GetCount(), 1);
    EXPECT_EQ(analyzer.GetRecord(0).Waits().at(0).count, kReads / 2 * 25);
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
