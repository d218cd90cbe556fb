#include "CFakeFileSystem.h"
#include "CTempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// The trace with its line breaks made CR only, or a random mix of LF, CR LF and CR.
std::string WithLineBreaks(const std::string& text, bool mixed, std::mt19937& random) {
    static constexpr std::string_view kBreaks[] = {"\n", "\r\n", "\r"};
    std::uniform_int_distribution<int> pick(0, 2);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            out += mixed ? kBreaks[pick(random)] : "\r";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

// Whatever the writes, the line breaks, the lines that stand far from their statements and
// the size of the pieces the reader takes, a followed trace ends with exactly the records,
// profile, SQL groups and call tree file mode makes of the same bytes.
TEST(LiveMode, RecordsEqualFileModeHoweverTheWritesWereSplit) {
    const auto traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    std::mt19937 random(20261207);
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        const std::string original = CTempFolder::Read(path);
        const std::string variants[] = {original, WithLineBreaks(original, false, random),
                                        WithLineBreaks(original, true, random)};
        for (const std::string& bytes : variants) {
            const std::vector<CTraceFileBytes> files{{"live_ora_77.trc", bytes}};
            for (const bool showSys : {true, false}) {
                const CTimeViews expected = FileModeViewsOf(files, showSys);
                for (const int pieces : {2, 40}) {
                    SCOPED_TRACE(std::to_string(pieces) + " pieces");
                    const std::int64_t readBytes = pieces == 2 ? 3000 : 0;
                    ExpectSameViews(
                        FollowViewsWhileWriting(files, pieces, random, showSys, readBytes),
                        expected);
                }
            }
        }
    }
}

// A file made 100 GiB long, all zeros after its first statement (a preallocated or sparse
// file): the reader takes it in bounded pieces, stops at the zeros and reads on once text
// was written over them.
// A followed file under two names (hard links) is read once, under the first name, and so is
// a file whose name another file's link replaced; what is written to it later counts once.
TEST(LiveMode, AFileUnderTwoNamesIsReadOnce) {
    CTempFolder folder;
    CPosixFileSystem fileSystem;
    CRecordingNotifier notifier;
    CTraceAnalyzer live(TestCatalog(), fileSystem, notifier);
    live.SetPath(folder.Path());
    live.SetShowSys(1);
    live.ReadFolder();
    const std::string a = folder.File("a_ora_1.trc");
    const std::string c = folder.File("c_ora_3.trc");
    CTempFolder::Write(a, CursorBlock(1, 5, 3, "from a"));
    CTempFolder::Write(c, CursorBlock(1, 5, 3, "from c"));
    std::filesystem::create_hard_link(a, folder.File("b_ora_2.trc"));
    EXPECT_EQ(live.ReadFolder().appendedCount, 2);

    std::filesystem::create_hard_link(a, folder.File("new.tmp"));
    std::filesystem::rename(folder.File("new.tmp"), c);
    EXPECT_EQ(live.ReadFolder().appendedCount, 0);

    std::ofstream(folder.File("b_ora_2.trc"), std::ios::binary | std::ios::app)
        << CursorBlock(2, 5, 3, "appended");
    EXPECT_EQ(live.ReadFolder().appendedCount, 1);
    ASSERT_EQ(live.GetCount(), 3);
    EXPECT_EQ(live.GetRecord(2).SqlCopy(), "appended\r\n");
    EXPECT_EQ(live.GetRecord(2).Pid(), "1"); // read as a_ora_1.trc
    EXPECT_TRUE(notifier.messages.empty());
}

TEST(LiveMode, AHugeSparseFileIsReadUpToItsZerosAndOnceTheyAreOverwritten) {
    CTempFolder folder;
    CPosixFileSystem fileSystem;
    CRecordingNotifier notifier;
    CTraceAnalyzer live(TestCatalog(), fileSystem, notifier);
    live.SetPath(folder.Path());
    live.SetShowSys(1);
    live.ReadFolder();
    const std::string path = folder.File("x_ora_1.trc");
    const std::string first = CursorBlock(1, 5, 3, "before the zeros");
    CTempFolder::Write(path, first);
    std::filesystem::resize_file(path, std::uintmax_t{100} << 30);
    EXPECT_EQ(live.ReadFolder().appendedCount, 1);

    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(first.size()));
    file << CursorBlock(2, 5, 3, "over the zeros");
    file.close();
    EXPECT_EQ(live.ReadFolder().appendedCount, 1);
    ASSERT_EQ(live.GetCount(), 2);
    EXPECT_EQ(live.GetRecord(1).SqlCopy(), "over the zeros\r\n");
    EXPECT_TRUE(notifier.messages.empty());
}

TEST(LiveMode, ByteByByteWritesOfSmallTrace) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += CursorBlock(i, 5, i % 2 ? 3 : 2, "select\r\n  " + std::to_string(i));
        bytes += "PARSE ERROR #9:len=4 dep=0 uid=5 oct=3 lid=5 tim=1 err=942\r\nsel x\r\n";
        bytes += "*** 2026-12-07 08:00:00.000\r\nFETCH #" + std::to_string(i) + ":c=1,r=1\r\n";
    }
    const std::vector<CTraceFileBytes> files{{"live_ora_77.trc", bytes}};
    std::mt19937 random(7);
    ExpectSameRecords(FollowWhileWriting(files, static_cast<int>(bytes.size()), random, true),
                      FileModeRecordsOf(files, true));
}

} // namespace
