#include "CTempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

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

// Writes a trace into a followed folder piece by piece, reading after every piece, and
// answers the records the live analyser holds once the file stopped growing.
std::vector<CStatementRecord> FollowWhileWriting(const std::string& bytes, int pieces,
                                                 std::mt19937& random, bool showSys) {
    CTempFolder folder;
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CStderrNotifier notifier;
    CTraceAnalyzer live(TestCatalog(), fileSystem, shares, notifier);
    live.SetPath(folder.Path());
    live.SetShowSys(showSys);
    live.ReadFolder();
    const std::string path = folder.File("live_ora_77.trc");
    const auto cuts = RandomCuts(bytes.size(), pieces, random);
    std::int64_t listed = 0;
    for (std::size_t i = 1; i < cuts.size(); ++i) {
        CTempFolder::Append(path,
                            std::string_view(bytes).substr(cuts[i - 1], cuts[i] - cuts[i - 1]));
        const CApplyResult result = live.ReadFolder();
        EXPECT_EQ(result.firstAppended, listed);
        listed += result.appendedCount;
        for (const std::int64_t row : result.updatedRows) {
            EXPECT_LT(row, listed);
        }
    }
    live.ReadFolder();
    return RecordsOf(live);
}

TEST(LiveMode, RecordsEqualFileModeHoweverTheWritesWereSplit) {
    const auto traces = RealTraces();
    if (traces.empty()) {
        GTEST_SKIP() << "no real traces in " << VELQUOR_TRACES_DIR;
    }
    std::mt19937 random(20261207);
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        const std::string bytes = CTempFolder::Read(path);
        CTempFolder copy;
        const std::string same = copy.File("live_ora_77.trc");
        CTempFolder::Write(same, bytes);
        for (const bool showSys : {true, false}) {
            const auto expected = FileModeRecords({same}, showSys);
            for (const int pieces : {2, 9, 40}) {
                SCOPED_TRACE(std::to_string(pieces) + " pieces");
                ExpectSameRecords(FollowWhileWriting(bytes, pieces, random, showSys), expected);
            }
        }
    }
}

TEST(LiveMode, ByteByByteWritesOfSmallTrace) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += CursorBlock(i, 5, i % 2 ? 3 : 2, "select\r\n  " + std::to_string(i));
        bytes += "PARSE ERROR #9:len=4 dep=0 uid=5 oct=3 lid=5 tim=1 err=942\r\nsel x\r\n";
        bytes += "*** 2026-12-07 08:00:00.000\r\nFETCH #" + std::to_string(i) + ":c=1,r=1\r\n";
    }
    CTempFolder copy;
    const std::string same = copy.File("live_ora_77.trc");
    CTempFolder::Write(same, bytes);
    std::mt19937 random(7);
    ExpectSameRecords(FollowWhileWriting(bytes, static_cast<int>(bytes.size()), random, true),
                      FileModeRecords({same}, true));
}

} // namespace
