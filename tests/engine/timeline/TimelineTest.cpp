#include "CMemoryFileSystem.h"
#include "CTempFolder.h"
#include "CTimeRange.h"
#include "CTimelineMaker.h"
#include "CTimelineScan.h"
#include "EngineTestSupport.h"
#include "TraceLines.h"
#include "TraceText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <numeric>
#include <optional>

namespace {

const std::string kTraces = VELQUOR_TRACES_DIR;

// One shared-server process: session 1.1, then 2.2 reusing cursor number 1, then 1.1 again.
// In the first turn of 1.1: a recursive call with no depth-0 parent and its wait, a gap of
// 2500 µs, a call, think time, a pause of exactly 1000 µs (no gap), then one of 1001 µs.
const std::string kTurns =
    "Trace file /t/turns_s000_5.trc\n"
    "Unix process pid: 5, image: oracle@host (S000)\n"
    "\n"
    "*** 2026-01-02 10:00:00.000\n"
    "*** SESSION ID:(1.1) 2026-01-02 10:00:00.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=47 lid=5 tim=1000000 hv=1 ad='a' sqlid='top1'\n"
    "BEGIN x; END;\n"
    "END OF STMT\n"
    "=====================\n"
    "PARSING IN CURSOR #2 len=8 dep=1 uid=5 oct=3 lid=5 tim=1000010 hv=2 ad='b' sqlid='rec2'\n"
    "select 1\n"
    "END OF STMT\n"
    "EXEC #2:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=1000200\n"
    "WAIT #2: nam='db file sequential read' ela= 300 file#=1 block#=2 blocks=1 obj#=1 "
    "tim=1000500\n"
    "EXEC #1:c=1,e=500,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1003500\n"
    "WAIT #1: nam='SQL*Net message from client' ela= 5000 driver id=1 #bytes=1 p3=0 obj#=-1 "
    "tim=1008500\n"
    "FETCH #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1009600\n"
    "FETCH #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1010701\n"
    "\n"
    "*** SESSION ID:(2.2) 2026-01-02 10:00:20.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1019000 hv=3 ad='c' sqlid='top3'\n"
    "select 3\n"
    "END OF STMT\n"
    "EXEC #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1020000\n"
    "WAIT #0: nam='PGA memory operation' ela= 10 p1=0 p2=0 p3=0 obj#=-1 tim=1020050\n"
    "\n"
    "*** SESSION ID:(1.1) 2026-01-02 10:00:30.000\n"
    "FETCH #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1030100\n";

struct CMadeTimeline {
    CTimeline timeline;
    std::string error;
    bool complete = false;
};

// Reads `paths` in file mode, then makes their time line; `change` runs between the two.
CMadeTimeline MakeTimeline(const std::vector<std::string>& paths,
                           const std::function<void()>& change = {}) {
    CPosixFileSystem fileSystem;
    CStderrNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, notifier);
    analyzer.SetFiles(paths);
    analyzer.ReadFileList();
    if (change) {
        change();
    }
    CMadeTimeline made;
    made.complete = CTimelineMaker::Make(analyzer, fileSystem, CTimelineScan::kDefaultMinGap,
                                         made.timeline, made.error);
    return made;
}

std::string Clock(const CTimeline& timeline, const CTimelineEvent& event, std::int64_t time) {
    const std::optional<CWallClock> clock = timeline.ClockOf(event, time);
    return clock.has_value() ? clock->Text() : "none";
}

const CTimelineEvent* FindEnding(const CTimeline& timeline, std::int64_t end, ETimelineKind kind) {
    for (const CTimelineEvent& event : timeline.Events()) {
        if (event.end == end && event.kind == kind) {
            return &event;
        }
    }
    return nullptr;
}

bool IsTimedLine(ETraceLine kind) {
    return kind != ETraceLine::Other && kind != ETraceLine::Stat && kind != ETraceLine::Error &&
           kind != ETraceLine::Xctend;
}

// Every call and wait line right after a "*** " header with a time stamp, with that time.
std::vector<std::pair<std::int64_t, std::string>> AnchoredLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::pair<std::int64_t, std::string>> anchored;
    std::optional<CWallClock> pending;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("*** ")) {
            if (const std::optional<CWallClock> clock = CWallClock::OfHeaderLine(line)) {
                pending = clock;
            }
        } else if (pending.has_value() && IsTimedLine(ClassifyLine(line).kind)) {
            anchored.emplace_back(ParseInteger(line.substr(line.rfind("tim=") + 4)),
                                  pending->Text());
            pending.reset();
        }
    }
    return anchored;
}

TEST(TimelineWallClock, ReadsBothLayoutsAndCountsOnAcrossDays) {
    const std::optional<CWallClock> old = CWallClock::Read("2007-07-11 11:05:33.800");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->Text(), "2007-07-11T11:05:33.800000");
    EXPECT_EQ(old->Plus(12 * 3600 * 1000000LL + 54 * 60 * 1000000LL + 26200000).Text(),
              "2007-07-12T00:00:00.000000");
    const std::optional<CWallClock> zoned =
        CWallClock::OfHeaderLine("*** 2024-01-16T17:52:39.428771-08:00 (PDB1(3))");
    ASSERT_TRUE(zoned.has_value());
    EXPECT_EQ(zoned->Plus(-39428772).Text(), "2024-01-16T17:51:59.999999-08:00");
    EXPECT_EQ(CWallClock::OfHeaderLine("*** SESSION ID:(150.65) 2007-07-11 11:05:33.800"), old);
    EXPECT_FALSE(CWallClock::OfHeaderLine("*** SESSION ID:(150.65)").has_value());
    EXPECT_EQ(CWallClock::Read("2024-02-29T00:00:00.5+05:30")->Text(),
              "2024-02-29T00:00:00.500000+05:30");
    // The same instant written in two zones.
    EXPECT_EQ(CWallClock::Read("2024-01-16T10:00:00.000001+01:00")
                  ->Since(*CWallClock::Read("2024-01-16T01:00:00.000000-08:00")),
              1);
}

// A tim maps from the latest anchor of its context: the recursive EXEC of the array insert
// ends at .466253 from the anchor before it; the file's first anchor would give .466254.
// The trace's gaps above 1 ms are listed with their sizes.
TEST(TimelineAnchors, RecursiveExecMapsFromTheLatestAnchor) {
    SKIP_WITHOUT_REAL_TRACES(RealTraces().empty());
    const CMadeTimeline made =
        MakeTimeline({kTraces + "/oracle-trace__cdb1_ora_5390_TRUNC-TEST.trc"});
    ASSERT_TRUE(made.complete) << made.error;
    const CTimelineEvent* exec = FindEnding(made.timeline, 1734874533808, ETimelineKind::Call);
    ASSERT_NE(exec, nullptr);
    EXPECT_EQ(exec->depth, 1u);
    EXPECT_EQ(made.timeline.NameOf(*exec), "EXEC");
    EXPECT_EQ(made.timeline.Statements()[exec->statement].sqlid, "718d4y9b3fqtz");
    EXPECT_EQ(Clock(made.timeline, *exec, exec->end), "2024-01-16T17:52:40.466253-08:00");
    EXPECT_EQ(Clock(made.timeline, *exec, exec->start), "2024-01-16T17:52:40.458591-08:00");
    // Its one gap above 1 ms: 1801 µs between a recursive FETCH and CLOSE.
    std::vector<std::string> gaps;
    for (const CTimelineEvent& event : made.timeline.Events()) {
        if (event.kind == ETimelineKind::Gap) {
            gaps.push_back(Clock(made.timeline, event, event.start) + " " +
                           std::to_string(event.end - event.start));
        }
    }
    EXPECT_EQ(gaps, std::vector<std::string>{"2024-01-16T17:52:42.380549-08:00 1801"});
}

// In every real trace, each call or wait line right after a time stamp shows that time: so
// each line maps from its own context's latest anchor, also where the anchors of the 10.2
// shared-server trace drift against tim (its sessions take turns in one process).
TEST(TimelineAnchors, EveryAnchoredLineShowsItsTimeStamp) {
    SKIP_WITHOUT_REAL_TRACES(RealTraces().empty());
    for (const std::string& path : RealTraces()) {
        SCOPED_TRACE(path);
        const CMadeTimeline made = MakeTimeline({path});
        ASSERT_TRUE(made.complete) << made.error;
        for (const auto& [tim, text] : AnchoredLines(path)) {
            bool found = false;
            for (const CTimelineEvent& event : made.timeline.Events()) {
                found = found || (event.end == tim && event.kind != ETimelineKind::Gap &&
                                  Clock(made.timeline, event, tim) == text);
            }
            EXPECT_TRUE(found) << "tim=" << tim << " should show " << text;
        }
    }
    // The drift: the file's first anchor would map the last anchored line of the 10.2
    // shared-server trace 1.54 s before that line's own time stamp.
    const CMadeTimeline shared =
        MakeTimeline({kTraces + "/troubleshooting-oracle-perf__dbm10203_s000_24374.trc"});
    const std::vector<CTimeline::CAnchor>& anchors = shared.timeline.Anchors();
    ASSERT_GE(anchors.size(), 4u);
    std::int64_t largestDrift = 0;
    for (std::size_t i = 1; i < anchors.size(); ++i) {
        const CWallClock byFirst = anchors[0].clock.Plus(anchors[i].tim - anchors[0].tim);
        largestDrift = std::max(largestDrift, std::abs(byFirst.Since(anchors[i].clock)));
    }
    EXPECT_GT(largestDrift, 1500000);
}

// Gaps lie within a context's turn, where nothing of any depth runs, longer than the
// threshold; think time is no gap; a cursor number binds per context.
TEST(TimelineGaps, WithinTurnsAtAnyDepthLongerThanTheThreshold) {
    CTempFolder folder;
    const std::string path = folder.File("turns_s000_5.trc");
    CTempFolder::Write(path, kTurns);
    const CMadeTimeline made = MakeTimeline({path});
    ASSERT_TRUE(made.complete) << made.error;
    const CTimeline& timeline = made.timeline;
    std::vector<std::pair<std::int64_t, std::int64_t>> gaps;
    for (const CTimelineEvent& event : timeline.Events()) {
        if (event.kind == ETimelineKind::Gap) {
            gaps.emplace_back(event.start, event.end);
        }
    }
    EXPECT_EQ(gaps, (std::vector<std::pair<std::int64_t, std::int64_t>>{{1000500, 1003000},
                                                                        {1009600, 1010601}}));
    const CTimelineEvent* think = FindEnding(timeline, 1008500, ETimelineKind::Think);
    ASSERT_NE(think, nullptr);
    EXPECT_EQ(timeline.NameOf(*think), "SQL*Net message from client");
    const CTimelineEvent* wait = FindEnding(timeline, 1000500, ETimelineKind::Wait);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->depth, 1u);
    EXPECT_EQ(FindEnding(timeline, 1020050, ETimelineKind::Wait)->statement, CTimelineEvent::kNone);
    const CTimelineEvent* other = FindEnding(timeline, 1020000, ETimelineKind::Call);
    const CTimelineEvent* back = FindEnding(timeline, 1030100, ETimelineKind::Call);
    ASSERT_TRUE(other != nullptr && back != nullptr);
    EXPECT_EQ(timeline.Contexts()[other->context].Session(), "2.2");
    EXPECT_EQ(timeline.Statements()[other->statement].sqlid, "top3");
    EXPECT_EQ(timeline.Contexts()[back->context].Session(), "1.1");
    EXPECT_EQ(timeline.Contexts()[back->context].Process(), "5");
    EXPECT_EQ(timeline.Statements()[back->statement].sqlid, "top1");
    EXPECT_EQ(timeline.Statements()[back->statement].row, 0);
    EXPECT_EQ(Clock(timeline, *back, back->end), "2026-01-02T10:00:30.000000");
    const CTimelineEvent* last = FindEnding(timeline, 1010701, ETimelineKind::Call);
    EXPECT_EQ(Clock(timeline, *last, last->end), "2026-01-02T10:00:00.010501");
    // In order of start, then end.
    for (std::size_t i = 1; i < timeline.Events().size(); ++i) {
        const CTimelineEvent& a = timeline.Events()[i - 1];
        const CTimelineEvent& b = timeline.Events()[i];
        EXPECT_TRUE(a.start < b.start || (a.start == b.start && a.end <= b.end)) << i;
    }
}

// Two processes written into one file, switching by "*** [ Unix process pid: N ]" lines: 5
// serves session 1.1 then 2.2, 7 serves 3.3 between them, and 5 comes back in 2.2.
const std::string kTwoProcesses =
    "Trace file /t/two_ora_5.trc\n"
    "Unix process pid: 5, image: oracle@host\n"
    "\n"
    "*** SESSION ID:(1.1) 2026-01-02 10:00:00.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1000000 hv=1 ad='a' sqlid='p5s1'\n"
    "select 1\n"
    "END OF STMT\n"
    "EXEC #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1000100\n"
    "\n"
    "*** [ Unix process pid: 7 ]\n"
    "*** SESSION ID:(3.3) 2026-01-02 10:00:01.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=2000000 hv=2 ad='b' sqlid='p7s3'\n"
    "select 2\n"
    "END OF STMT\n"
    "EXEC #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=2000100\n"
    "\n"
    "*** [ Unix process pid: 5 ]\n"
    "*** SESSION ID:(2.2) 2026-01-02 10:00:02.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=3000000 hv=3 ad='c' sqlid='p5s2'\n"
    "select 3\n"
    "END OF STMT\n"
    "EXEC #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=3000100\n"
    "\n"
    "*** [ Unix process pid: 7 ]\n"
    "FETCH #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=4000100\n"
    "\n"
    "*** [ Unix process pid: 5 ]\n"
    "FETCH #1:c=1,e=100,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=5000100\n";

// The time line puts every line in the context the records are read in: each call of a listed
// statement is in its record's context (process and session), on the hand-written traces of
// sessions and processes and on every real trace.
TEST(TimelineContexts, EveryCallIsInItsRecordsContext) {
    CTempFolder folder;
    std::vector<std::string> paths = {folder.File("turns_s000_5.trc"),
                                      folder.File("two_ora_5.trc")};
    CTempFolder::Write(paths[0], kTurns);
    CTempFolder::Write(paths[1], kTwoProcesses);
    for (const std::string& path : RealTraces()) {
        paths.push_back(path);
    }
    std::vector<std::size_t> checked;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        CPosixFileSystem fileSystem;
        CStderrNotifier notifier;
        CTraceAnalyzer analyzer(TestCatalog(), fileSystem, notifier);
        analyzer.SetFiles({path});
        analyzer.ReadFileList();
        CTimeline timeline;
        std::string error;
        ASSERT_TRUE(CTimelineMaker::Make(analyzer, fileSystem, CTimelineScan::kDefaultMinGap,
                                         timeline, error))
            << error;
        checked.push_back(0);
        for (const CTimelineEvent& event : timeline.Events()) {
            if (event.kind != ETimelineKind::Call || event.statement == CTimelineEvent::kNone ||
                timeline.Statements()[event.statement].row < 0) {
                continue;
            }
            const CTimeline::CContext& context = timeline.Contexts()[event.context];
            const CStatementRecord& record =
                analyzer.GetRecord(timeline.Statements()[event.statement].row);
            ASSERT_TRUE(record.Trace() == context.key) << event.end;
            ASSERT_EQ(record.Context().Pid(), context.Process()) << event.end;
            ++checked.back();
        }
    }
    EXPECT_GT(checked[0], 0u);
    EXPECT_GT(checked[1], 0u);
    EXPECT_GT(std::accumulate(checked.begin(), checked.end(), std::size_t{0}),
              checked[0] + checked[1]);
}

// A range selects what ends within it, both ends included, by tim or by wall clock.
TEST(TimelineRange, SelectsWhatEndsWithinItEdgesIncluded) {
    CTempFolder folder;
    const std::string path = folder.File("turns_s000_5.trc");
    CTempFolder::Write(path, kTurns);
    const CMadeTimeline made = MakeTimeline({path});
    const auto selected = [&](const CTimeRange& range) {
        std::vector<std::int64_t> ends;
        for (const CTimelineEvent& event : made.timeline.Events()) {
            if (event.kind != ETimelineKind::Gap && range.Contains(made.timeline, event)) {
                ends.push_back(event.end);
            }
        }
        return ends;
    };
    CTimeRange byTim;
    byTim.from = CTimeRange::ReadBound("1003500");
    byTim.to = CTimeRange::ReadBound("1009600");
    EXPECT_EQ(selected(byTim), (std::vector<std::int64_t>{1003500, 1008500, 1009600}));
    CTimeRange byClock;
    byClock.from = CTimeRange::ReadBound("2026-01-02 10:00:00.003300");
    byClock.to = CTimeRange::ReadBound("2026-01-02T10:00:00.009400");
    EXPECT_EQ(selected(byClock), selected(byTim));
    EXPECT_FALSE(CTimeRange::ReadBound("2026-01-02 10:00").has_value());
    EXPECT_FALSE(CTimeRange::ReadBound("2026-01-02 10:00:00.0 x").has_value());
}

// The time line reads the file again only while it is the file that was read: a file cut
// and rewritten since is refused.
TEST(TimelineScan, RefusesAFileChangedSinceItWasRead) {
    CTempFolder folder;
    const std::string path = folder.File("turns_s000_5.trc");
    CTempFolder::Write(path, kTurns);
    const CMadeTimeline made =
        MakeTimeline({path}, [&] { CTempFolder::Write(path, "WAIT #0: nam='x' ela= 1 tim=9\n"); });
    EXPECT_FALSE(made.complete);
    EXPECT_NE(made.error.find("changed after it was read"), std::string::npos) << made.error;
}

// The profile of `paths` read in file mode through `fileSystem`.
CProfileReport ProfileOf(ITraceFileSystem& fileSystem, const std::vector<std::string>& paths) {
    CStderrNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, notifier);
    analyzer.SetFiles(paths);
    analyzer.ReadFileList();
    return analyzer.Profile({}, std::nullopt, false);
}

// `path` cut by hand into `folder`: the timed lines (calls, waits, transaction ends, errors)
// whose tim lies outside [from, to] go.
std::string CutByHand(const std::string& path, const CTempFolder& folder, std::int64_t from,
                      std::int64_t to) {
    std::ifstream in(path);
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t tim = line.rfind("tim=");
        const std::int64_t time =
            tim == std::string::npos ? 0 : ParseInteger(std::string_view(line).substr(tim + 4));
        const ETraceLine kind = ClassifyLine(line).kind;
        const bool timed = kind != ETraceLine::Other && kind != ETraceLine::Stat && time != 0;
        if (!timed || (time >= from && time <= to)) {
            text += line + "\n";
        }
    }
    const std::string cut = folder.File(path.substr(path.rfind('/') + 1));
    CTempFolder::Write(cut, text);
    return cut;
}

// The profile of a range is the profile of the trace cut by hand to the lines of the calls
// and waits that end within it, an event ending exactly at either end included; a wall-clock
// end selects as the tim it maps from.
TEST(TimelineRange, ProfileOfARangeIsTheProfileOfTheTraceCutByHand) {
    CTempFolder folder;
    const std::string turns = folder.File("turns_s000_5.trc");
    CTempFolder::Write(turns, kTurns);
    struct CCase {
        std::string path;
        std::string from;
        std::string to;
        std::int64_t fromTim;
        std::int64_t toTim;
    };
    std::vector<CCase> cases = {{turns, "1003500", "1030100", 1003500, 1030100},
                                {turns, "2026-01-02 10:00:00.000", "1010701", 1000200, 1010701}};
    if (!RealTraces().empty()) {
        const std::string trunc = kTraces + "/oracle-trace__cdb1_ora_5390_TRUNC-TEST.trc";
        cases.push_back({trunc, "2024-01-16T17:52:40.466253-08:00", "1734876448104", 1734874533808,
                         1734876448104});
    }
    for (const CCase& test : cases) {
        SCOPED_TRACE(test.path + " " + test.from + " " + test.to);
        CPosixFileSystem posix;
        CStderrNotifier notifier;
        CTraceAnalyzer whole(TestCatalog(), posix, notifier);
        whole.SetFiles({test.path});
        whole.Apply(whole.Reader().ReadFileList());
        CTimeRange range;
        range.from = CTimeRange::ReadBound(test.from);
        range.to = CTimeRange::ReadBound(test.to);
        CMemoryFileSystem cut;
        std::string error;
        ASSERT_TRUE(CTimelineMaker::Cut(whole, posix, range, cut, error)) << error;
        CTempFolder byHand;
        const CProfileReport expected =
            ProfileOf(posix, {CutByHand(test.path, byHand, test.fromTim, test.toTim)});
        EXPECT_TRUE(ProfileOf(cut, whole.ProfiledFiles()) == expected);
        EXPECT_FALSE(expected == ProfileOf(posix, {test.path}));
    }
}

} // namespace
