#include "CStatementTexts.h"
#include "CTempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

// Every line belongs to a context (process, session), and every figure is one context's: the
// records, their cursors and self figures, R and its components. Checked on combined and
// shared-server traces as the servers wrote them, on a trace written by hand, and on real
// traces combined at random.
namespace {

const std::filesystem::path kTraces = VELQUOR_TRACES_DIR;

std::string TracePath(const std::string& name) {
    return (kTraces / name).string();
}

bool HasTraces() {
    return std::filesystem::is_directory(kTraces);
}

std::vector<CStatementRecord> RecordsOfProcess(const std::vector<CStatementRecord>& records,
                                               std::string_view pid) {
    std::vector<CStatementRecord> of;
    std::copy_if(records.begin(), records.end(), std::back_inserter(of),
                 [&](const CStatementRecord& record) { return record.Pid() == pid; });
    return of;
}

// The figures of records read from two texts of the same lines, which may differ in the
// session tags around them.
void ExpectSameFigures(const std::vector<CStatementRecord>& actual,
                       const std::vector<CStatementRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const CStatementRecord& a = actual[i];
        const CStatementRecord& e = expected[i];
        ASSERT_EQ(a.Node(), e.Node());
        ASSERT_EQ(a.Pid(), e.Pid());
        ASSERT_EQ(a.Parse(), e.Parse());
        ASSERT_EQ(a.Exec(), e.Exec());
        ASSERT_EQ(a.Fetch(), e.Fetch());
        ASSERT_EQ(a.Self(), e.Self());
        ASSERT_EQ(a.Waits(), e.Waits());
        ASSERT_EQ(RowSourceOf(a), RowSourceOf(e));
    }
}

// The components of a table add up to its R, none of them negative.
void ExpectComponentsAddUp(const CProfileTable& table) {
    std::int64_t sum = 0;
    for (const CProfileRow& row : table.rows) {
        EXPECT_GE(row.time, 0) << row.Label();
        sum += row.time;
    }
    EXPECT_EQ(sum, table.duration);
}

void ExpectNoNegativeFigure(const CDepthTotals& totals) {
    for (std::size_t k = 0; k < 3; ++k) {
        const CSelfFigures& self = totals.self[k];
        for (const std::int64_t figure :
             {self.cpu, self.elapsed, self.disk, self.query, self.current}) {
            EXPECT_GE(figure, 0) << "call kind " << k;
        }
    }
}

// A table as text, so that a difference reads plainly: every member but the shares, which
// follow from the times.
std::string Text(const CProfileTable& table) {
    std::string text = "process " + table.process + " value " + table.cutValue + " timed " +
                       std::to_string(table.timed) + " R " + std::to_string(table.duration) +
                       " idle " + std::to_string(table.idleTime) + " sessions " +
                       std::to_string(table.sessions) + " span " +
                       (table.span ? std::to_string(*table.span) : "none") + "\n";
    for (const CProfileRow& row : table.rows) {
        text += row.Label() + ": " + std::to_string(row.time) + " " + std::to_string(row.count) +
                " " + std::to_string(row.min) + " " + std::to_string(row.max) + "\n";
    }
    text += std::to_string(table.commits) + " " + std::to_string(table.rollbacks) + " " +
            std::to_string(table.readOnlyCommits) + " " + std::to_string(table.errors.size());
    return text;
}

std::vector<std::string> Texts(const std::vector<CProfileTable>& tables) {
    std::vector<std::string> texts;
    for (const CProfileTable& table : tables) {
        texts.push_back(Text(table));
    }
    return texts;
}

std::vector<CProfileTable> TablesOfProcess(const CProfileReport& report,
                                           const std::string& process) {
    std::vector<CProfileTable> tables;
    std::copy_if(report.tables.begin(), report.tables.end(), std::back_inserter(tables),
                 [&](const CProfileTable& table) { return table.process == process; });
    return tables;
}

// A trace's lines (without their line breaks) and where a piece of another process may be
// put between them: before a separator line that does not continue a header ("*** " lines).
struct CTraceLines {
    std::string process;
    std::vector<std::string> lines;
    std::vector<std::size_t> cuts;
};

CTraceLines LinesOf(const std::string& text) {
    CTraceLines trace;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        trace.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 1; i < trace.lines.size(); ++i) {
        const std::string& line = trace.lines[i];
        const bool separator = line.starts_with("*** ") || line.starts_with("=====");
        if (separator && !trace.lines[i - 1].starts_with("*** ")) {
            trace.cuts.push_back(i);
        }
        if (trace.process.empty() && line.starts_with("Unix process pid: ")) {
            trace.process = line.substr(18, line.find(',') - 18);
        }
    }
    return trace;
}

// The traces' lines in runs of random length, the runs of the traces interleaved at random,
// each run after a line that switches to its process: what the server's combining utility
// writes.
std::string Combine(const std::vector<CTraceLines>& traces, std::mt19937& random) {
    std::vector<std::size_t> next(traces.size(), 0); // the next line of each trace
    std::string combined;
    while (true) {
        std::vector<std::size_t> open;
        for (std::size_t t = 0; t < traces.size(); ++t) {
            if (next[t] < traces[t].lines.size()) {
                open.push_back(t);
            }
        }
        if (open.empty()) {
            return combined;
        }
        const std::size_t t = open[random() % open.size()];
        const CTraceLines& trace = traces[t];
        const auto after = std::upper_bound(trace.cuts.begin(), trace.cuts.end(), next[t]);
        const std::size_t left = static_cast<std::size_t>(trace.cuts.end() - after);
        const std::size_t end = left == 0 ? trace.lines.size() : *(after + random() % left);
        combined += "*** [ Unix process pid: " + trace.process + " ]\n";
        for (; next[t] < end; ++next[t]) {
            combined += trace.lines[next[t]] + "\n";
        }
    }
}

// The combined trace read whole or in small pieces gives the records of the plain reading,
// those of each process as the process's own trace does, and the profile of the traces read
// together: the same tables
// per context, the same R (their sum) and components, the same calls at each depth.
void ExpectSameAsProcesses(const std::string& combined, const std::vector<CTraceFileBytes>& files) {
    const CTimeViews separate = FileModeViewsOf(files, true);
    CReferenceAnalyzer reference(TestCatalog(), true, "");
    reference.SplitBlocks(combined, "combined_ora_1.trc");
    for (const std::int64_t pieceBytes : {std::int64_t{0}, std::int64_t{700}, std::int64_t{3000}}) {
        SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
        const CTimeViews joined =
            FileModeViewsOf({{"combined_ora_1.trc", combined}}, true, pieceBytes);
        ExpectSameRecords(joined.records, reference.Records());
        for (const CTraceFileBytes& file : files) {
            const std::string process = LinesOf(file.bytes).process;
            SCOPED_TRACE("process " + process);
            ExpectSameRecords(RecordsOfProcess(joined.records, process),
                              RecordsOfProcess(separate.records, process));
        }
        for (const auto& [a, e] : {std::pair(joined.profile, separate.profile),
                                   std::pair(joined.withoutIdle, separate.withoutIdle)}) {
            CProfileTable table = a.tables.at(0);
            EXPECT_GE(table.span, std::optional<std::int64_t>(0));
            table.span = e.tables.at(0).span; // the traces' own clocks, added up
            EXPECT_EQ(Text(table), Text(e.tables.at(0)));
            EXPECT_EQ(a.topLevel, e.topLevel);
            EXPECT_EQ(a.recursive, e.recursive);
        }
        for (std::size_t tag = 0; tag < kSessionTagCount; ++tag) {
            SCOPED_TRACE("cut by " +
                         std::string(CSessionTags::NameOf(static_cast<ESessionTag>(tag))));
            EXPECT_EQ(Texts(joined.cuts[tag].tables), Texts(separate.cuts[tag].tables));
        }
    }
}

// Rule 1 and 2: a combined trace's processes are apart. The records of process 9850 in the
// combined trace are those of its own trace in the same order, its table of the profile cut by
// session is its own trace's profile, and R of the combined trace is the sum of its processes'
// R, with no negative self figure at depth 0 (the depths of two processes once mixed).
TEST(SessionContext, CombinedTraceGivesEachProcessItsOwnRecordsAndProfile) {
    SKIP_WITHOUT_REAL_TRACES(!HasTraces());
    const std::string main = TracePath("oracle-trace__main.trc");
    const std::string own = TracePath("oracle-trace__js122a1_ora_9850.trc");
    for (const std::int64_t pieceBytes : {std::int64_t{0}, std::int64_t{2000}}) {
        SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
        const CTimeViews combined = FileModeViews({main}, true, pieceBytes);
        const CTimeViews alone = FileModeViews({own}, true, pieceBytes);
        ExpectSameFigures(RecordsOfProcess(combined.records, "9850"), alone.records);
        const std::vector<CStatementRecord> other = RecordsOfProcess(combined.records, "9854");
        EXPECT_EQ(other.size() + alone.records.size(), combined.records.size());

        const CProfileReport& bySession =
            combined.cuts[static_cast<std::size_t>(ESessionTag::Session)];
        ASSERT_EQ(bySession.tables.size(), 2u);
        CProfileTable table = TablesOfProcess(bySession, "9850").at(0);
        table.cutValue.clear();
        table.process.clear();
        table.span = alone.profile.tables.at(0).span;
        EXPECT_EQ(Text(table), Text(alone.profile.tables.at(0)));
        EXPECT_EQ(table.duration, 5512752);

        const CProfileTable& whole = combined.profile.tables.at(0);
        EXPECT_EQ(whole.duration, bySession.tables[0].duration + bySession.tables[1].duration);
        EXPECT_EQ(whole.sessions, 2u);
        EXPECT_LT(*whole.span, whole.duration);
        ExpectComponentsAddUp(whole);
        ExpectNoNegativeFigure(combined.profile.topLevel);
        ExpectNoNegativeFigure(combined.profile.recursive);
    }
}

// Rule 4: a shared server's sessions each get the time of their own turns: R at least the
// session's idle waits, the components adding up to R, the sessions' R adding up to the
// trace's. The 10.2 server's turns open with waits of a few microseconds, so its sessions
// add up to less than the trace's wall-clock span.
TEST(SessionContext, SharedServerSessionsHaveTheTimeOfTheirTurns) {
    SKIP_WITHOUT_REAL_TRACES(!HasTraces());
    for (const std::string name : {"troubleshooting-oracle-perf-14__DBM11203_s000_24437.trc",
                                   "troubleshooting-oracle-perf__dbm10203_s000_24374.trc"}) {
        SCOPED_TRACE(name);
        const CTimeViews views = FileModeViews({TracePath(name)}, true, 1000);
        const CProfileReport& bySession =
            views.cuts[static_cast<std::size_t>(ESessionTag::Session)];
        ASSERT_EQ(bySession.tables.size(), 3u);
        std::int64_t sum = 0;
        for (const CProfileTable& table : bySession.tables) {
            SCOPED_TRACE(table.cutValue);
            EXPECT_FALSE(table.process.empty());
            EXPECT_GE(table.duration, table.idleTime);
            ExpectComponentsAddUp(table);
            sum += table.duration;
        }
        const CProfileTable& whole = views.profile.tables.at(0);
        EXPECT_EQ(whole.duration, sum);
        EXPECT_EQ(whole.sessions, 3u);
        ExpectComponentsAddUp(whole);
        const CProfileTable& busy = views.withoutIdle.tables.at(0);
        EXPECT_EQ(busy.duration, whole.duration - whole.idleTime);
        EXPECT_GE(busy.duration, 0);
        if (name.find("dbm10203") != std::string::npos) {
            EXPECT_LT(sum, *whole.span);
        }
    }
}

// Rules 1, 2 and 3 on a trace written by hand: two sessions of a shared server reuse cursor
// #1, interleaved, and a second process (switched to) reuses it too. The 10.2 header names the
// module before the session it belongs to. Each statement gets the figures of its own
// context, and its self figures lose only its own context's recursive calls; the pid is the
// process the trace states. Read whole, in pieces of a few bytes and followed while written.
TEST(SessionContext, InterleavedSessionsReusingACursorKeepTheirOwnFigures) {
    const std::string trace =
        "Trace file /t/x_s000_5.trc\n"
        "Unix process pid: 5, image: oracle@host (S000)\n"
        "*** 2026-12-07 08:00:00.000\n"
        "*** MODULE NAME:(mod A) 2026-12-07 08:00:00.000\n"
        "*** SESSION ID:(10.1) 2026-12-07 08:00:00.000\n"
        "=====================\n"
        "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=100 hv=1 ad='a'\n"
        "select A\n"
        "END OF STMT\n"
        "PARSE #1:c=10,e=10,p=0,cr=0,cu=0,mis=1,r=0,dep=0,og=1,tim=110\n"
        "EXEC #2:c=7,e=7,p=0,cr=1,cu=0,mis=0,r=0,dep=1,og=1,tim=115\n"
        "*** SESSION ID:(20.2) 2026-12-07 08:00:01.000\n"
        "=====================\n"
        "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1000 hv=2 ad='b'\n"
        "select B\n"
        "END OF STMT\n"
        "EXEC #1:c=100,e=100,p=0,cr=4,cu=0,mis=0,r=0,dep=0,og=1,tim=1100\n"
        "WAIT #1: nam='SQL*Net message from client' ela= 50 p1=0 p2=0 p3=0 tim=1150\n"
        "*** [ Unix process pid: 8 ]\n"
        "=====================\n"
        "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=5000 hv=3 ad='c'\n"
        "select C\n"
        "END OF STMT\n"
        "EXEC #1:c=1000,e=1000,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=6000\n"
        "*** [ Unix process pid: 5 ]\n"
        "*** SESSION ID:(10.1) 2026-12-07 08:00:02.000\n"
        "EXEC #1:c=20,e=20,p=0,cr=2,cu=0,mis=0,r=1,dep=0,og=1,tim=2000\n"
        "FETCH #1:c=30,e=30,p=0,cr=3,cu=0,mis=0,r=1,dep=0,og=1,tim=2100\n"
        "*** SESSION ID:(20.2) 2026-12-07 08:00:03.000\n"
        "FETCH #1:c=1,e=1,p=0,cr=1,cu=0,mis=0,r=1,dep=0,og=1,tim=3000\n"
        "*** SESSION ID:(20.2) 2026-12-07 08:00:04.000\n"
        "FETCH #1:c=1,e=1,p=0,cr=1,cu=0,mis=0,r=1,dep=0,og=1,tim=3100\n";
    const std::vector<CTraceFileBytes> files{{"x_s000_5.trc", trace}};
    const CTimeViews whole = FileModeViewsOf(files, true);
    const std::vector<CStatementRecord>& records = whole.records;
    ASSERT_EQ(records.size(), 3u);
    const CStatementRecord& a = records[0];
    const CStatementRecord& b = records[1];
    const CStatementRecord& c = records[2];
    EXPECT_EQ(a.Trace(), (CTraceContext{"5", "10.1"}));
    EXPECT_EQ(b.Trace(), (CTraceContext{"5", "20.2"}));
    EXPECT_EQ(c.Trace(), (CTraceContext{"8", std::nullopt}));
    EXPECT_EQ(c.Pid(), "8");
    EXPECT_EQ(a.Tags().Value(ESessionTag::Module), "mod A");
    EXPECT_EQ(b.Tags().Value(ESessionTag::Module), "");
    EXPECT_EQ(a.Total().count, 3);
    EXPECT_EQ(a.Exec().query, 2);
    EXPECT_EQ(a.Fetch().query, 3);
    EXPECT_EQ(a.Self().exec.cpu, 20 - 7); // its own recursive call
    EXPECT_EQ(b.Total().count, 3);
    EXPECT_EQ(b.Exec().query, 4);
    EXPECT_EQ(b.Self().exec.cpu, 100); // not session 10.1's recursive call
    EXPECT_EQ(b.Waits().size(), 1u);
    EXPECT_TRUE(a.Waits().empty());
    EXPECT_EQ(c.Exec().cpu, 1000);
    EXPECT_EQ(c.Total().count, 1);

    const CProfileReport& bySession = whole.cuts[static_cast<std::size_t>(ESessionTag::Session)];
    ASSERT_EQ(bySession.tables.size(), 3u);
    // 10.1: turns 100..115 and 1980..2100; 20.2: 1000..1150 and 2999..3100 (a header naming
    // the session it is in ends no turn); process 8: 5000..6000.
    EXPECT_EQ(TablesOfProcess(bySession, "5").at(0).duration, 15 + 120);
    EXPECT_EQ(TablesOfProcess(bySession, "5").at(1).duration, 150 + 101);
    EXPECT_EQ(TablesOfProcess(bySession, "8").at(0).duration, 1000);
    EXPECT_EQ(whole.profile.tables.at(0).duration, 135 + 251 + 1000);
    EXPECT_EQ(whole.profile.tables.at(0).span, 6000 - 100);

    for (const std::int64_t pieceBytes : {1, 40, 200}) {
        SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
        ExpectSameViews(FileModeViewsOf(files, true, pieceBytes), whole);
    }
    std::mt19937 random(32);
    for (const int pieces : {3, 30}) {
        ExpectSameViews(FollowViewsWhileWriting(files, pieces, random, true), whole);
    }
}

// The property: a combined trace split back into its processes gives the same records and
// profile tables. Checked on the combined trace as the server's utility wrote it, split at its
// switch lines, and on real traces combined at random.
TEST(SessionContext, CombinedTracesGiveTheRecordsAndProfilesOfTheirProcesses) {
    SKIP_WITHOUT_REAL_TRACES(!HasTraces());
    const std::string main = CTempFolder::Read(TracePath("oracle-trace__main.trc"));
    std::map<std::string, std::string> split;
    std::string process;
    for (const std::string& line : LinesOf(main).lines) {
        if (line.starts_with("*** [ Unix process pid: ")) {
            process = line.substr(24, line.find(' ', 24) - 24);
        }
        split[process] += line + "\n";
    }
    ASSERT_EQ(split.size(), 2u);
    {
        SCOPED_TRACE("oracle-trace__main.trc");
        ExpectSameAsProcesses(main,
                              {{"a_ora_1.trc", split["9850"]}, {"b_ora_2.trc", split["9854"]}});
    }
    std::vector<CTraceFileBytes> files;
    std::vector<CTraceLines> traces;
    for (const std::string name : {"oracle-trace__js122a1_ora_9850.trc",
                                   "troubleshooting-oracle-perf-14__DBM11203_s000_24437.trc",
                                   "troubleshooting-oracle-perf__dbm10203_s000_24374.trc",
                                   "troubleshooting-oracle-perf__dbm10203_ora_24433.trc"}) {
        files.push_back({name, CTempFolder::Read(TracePath(name))});
        traces.push_back(LinesOf(files.back().bytes));
        ASSERT_FALSE(traces.back().process.empty()) << name;
    }
    std::mt19937 random(20261207);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameAsProcesses(Combine(traces, random), files);
    }
}

} // namespace
