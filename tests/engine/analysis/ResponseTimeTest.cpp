#include "CCallTreeView.h"
#include "CEventNames.h"
#include "CFakeFileSystem.h"
#include "CSqlGroupBuilder.h"
#include "CWrittenTrace.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <regex>
#include <set>

namespace {

// A PL/SQL block (#1) whose execute runs a query (#2, depth 1) twice, then a query (#3) with a
// CLOSE, a LOB read, under session tags that change in the middle; waits on #0, #1, #2 and #3,
// a commit, a rollback and two errors. The first timed line starts at 1000 (tim 2000 less ela
// 1000), the greatest tim is 6000: R is 5000. CPU at depth 0: PARSE 100 + 10, EXEC 500 + 10,
// FETCH 50, CLOSE 5, LOB 20 (695); waits 1000 + 2000 idle, 300 + 5 + 50 (3355); unaccounted
// for: 950.
const std::string kTrace =
    "Trace file /t/hand_ora_9.trc\n"
    "*** SESSION ID:(11.22) 2026-12-07T08:00:00.000000+00:00\n"
    "*** MODULE NAME:(batch (nightly)) 2026-12-07T08:00:00.000000+00:00\n"
    "*** ACTION NAME:(load) 2026-12-07T08:00:00.000000+00:00\n"
    "WAIT #0: nam='SQL*Net message from client' ela= 1000 driver id=1 #bytes=1 p3=0 obj#=-1 "
    "tim=2000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=16 dep=0 uid=50 oct=47 lid=50 tim=2100 hv=101 ad='a' sqlid='plsql1'\n"
    "BEGIN load; END;\n"
    "END OF STMT\n"
    "PARSE #1:c=100,e=150,p=0,cr=0,cu=0,mis=1,r=0,dep=0,og=1,plh=0,tim=2200\n"
    "=====================\n"
    "PARSING IN CURSOR #2 len=16 dep=1 uid=50 oct=3 lid=50 tim=2300 hv=202 ad='b' sqlid='select2'\n"
    "select a from t1\n"
    "END OF STMT\n"
    "PARSE #2:c=10,e=20,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=2400\n"
    "EXEC #2:c=20,e=30,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=2500\n"
    "WAIT #2: nam='db file sequential read' ela= 300 file#=1 block#=2 blocks=1 obj#=1 tim=2850\n"
    "FETCH #2:c=40,e=400,p=1,cr=3,cu=0,mis=0,r=1,dep=1,og=1,plh=0,tim=2900\n"
    "EXEC #2:c=20,e=30,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=3000\n"
    "FETCH #2:c=30,e=40,p=0,cr=2,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=3100\n"
    "ERROR #2:err=1403 tim=3150\n"
    "\n"
    "*** ACTION NAME:(report) 2026-12-07T08:00:01.000000+00:00\n"
    "EXEC #1:c=500,e=1200,p=1,cr=5,cu=2,mis=0,r=1,dep=0,og=1,plh=0,tim=3300\n"
    "WAIT #1: nam='SQL*Net message to client' ela= 5 driver id=1 #bytes=1 p3=0 obj#=-1 tim=3400\n"
    "WAIT #1: nam='SQL*Net message from client' ela= 2000 driver id=1 #bytes=1 p3=0 obj#=-1 "
    "tim=5400\n"
    "XCTEND rlbk=0, rd_only=0, tim=5500\n"
    "=====================\n"
    "PARSING IN CURSOR #3 len=18 dep=0 uid=50 oct=3 lid=50 tim=5550 hv=303 ad='c'\n"
    "select 1 from dual\n"
    "END OF STMT\n"
    "PARSE #3:c=10,e=15,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=5600\n"
    "EXEC #3:c=10,e=12,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=5700\n"
    "FETCH #3:c=50,e=60,p=0,cr=1,cu=0,mis=0,r=1,dep=0,og=1,plh=0,tim=5800\n"
    "WAIT #3: nam='log file sync' ela= 50 buffer#=1 sync scn=2 p3=0 obj#=-1 tim=5860\n"
    "CLOSE #3:c=5,e=5,dep=0,type=0,tim=5900\n"
    "ERROR #3:err=942 tim=5950\n"
    "LOBREAD: type=PERSISTENT LOB,bytes=10,c=20,e=25,p=0,cr=1,cu=0,tim=5980\n"
    "XCTEND rlbk=1, rd_only=0, tim=6000\n";

std::vector<std::string> Rows(const CProfileTable& table) {
    std::vector<std::string> rows;
    for (const CProfileRow& row : table.rows) {
        rows.push_back(row.Label() + (row.idle ? " (idle)" : "") + " " + std::to_string(row.time) +
                       " " + std::to_string(row.count) + " " + std::to_string(row.min) + " " +
                       std::to_string(row.max));
    }
    return rows;
}

void ExpectProfile(const CTimeViews& views) {
    ASSERT_EQ(views.profile.tables.size(), 1u);
    const CProfileTable& whole = views.profile.tables[0];
    EXPECT_TRUE(whole.timed);
    EXPECT_EQ(whole.duration, 5000);
    EXPECT_EQ(whole.idleTime, 3000);
    EXPECT_EQ(Rows(whole), (std::vector<std::string>{
                               "SQL*Net message from client (idle) 3000 2 1000 2000",
                               "unaccounted-for time 950 0 0 0", "CPU: EXEC calls 510 2 10 500",
                               "db file sequential read 300 1 300 300",
                               "CPU: PARSE calls 110 2 10 100", "CPU: FETCH calls 50 1 50 50",
                               "log file sync 50 1 50 50", "CPU: LOB calls 20 1 20 20",
                               "CPU: CLOSE calls 5 1 5 5", "SQL*Net message to client 5 1 5 5"}));
    EXPECT_DOUBLE_EQ(*whole.rows[1].share, 950.0 / 5000.0);
    EXPECT_EQ(whole.commits, 1);
    EXPECT_EQ(whole.rollbacks, 1);
    EXPECT_EQ(whole.readOnlyCommits, 0);
    EXPECT_EQ(whole.errors, (std::vector<CErrorCount>{{942, 1}, {1403, 1}}));

    const CProfileTable& busy = views.withoutIdle.tables.at(0);
    EXPECT_EQ(busy.duration, 2000);
    EXPECT_EQ(busy.rows.front().Label(), "unaccounted-for time");
    EXPECT_EQ(busy.rows.front().time, 950);
    EXPECT_DOUBLE_EQ(*busy.rows.front().share, 950.0 / 2000.0);
    EXPECT_EQ(busy.rows.size(), whole.rows.size() - 1);

    // Cut by action: "load" until the tag line, "report" after it; the durations add up to R.
    const std::vector<CProfileTable>& actions = views.cuts.at(3).tables;
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].cutValue, "load");
    EXPECT_EQ(actions[0].duration, 2150);
    EXPECT_EQ(Rows(actions[0]),
              (std::vector<std::string>{"SQL*Net message from client (idle) 1000 1 1000 1000",
                                        "unaccounted-for time 750 0 0 0",
                                        "db file sequential read 300 1 300 300",
                                        "CPU: PARSE calls 100 1 100 100"}));
    EXPECT_EQ(actions[1].cutValue, "report");
    EXPECT_EQ(actions[1].duration, 2850);
    EXPECT_EQ(actions[1].rows.at(1).Label(), "CPU: EXEC calls");
    const std::vector<CProfileTable>& modules = views.cuts.at(2).tables;
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].cutValue, "batch (nightly)");
    EXPECT_EQ(views.cuts.at(4).tables.at(0).cutValue, "") << "no CLIENT ID line";

    // tkprof's overall totals: the block's execute less its query's calls.
    EXPECT_EQ(views.profile.topLevel.self[1],
              (CSelfFigures{510 - 120, 1212 - 520, 1 - 1, 5 - 5, 2}));
    EXPECT_EQ(views.profile.recursive.calls[2].count, 2);
    EXPECT_EQ(
        views.profile.recursive.waits,
        (std::vector<CWaitFigures>{{CEventNames::Id("db file sequential read"), 1, 300, 300}}));
}

void ExpectGroupsAndTree(const CTimeViews& views) {
    ASSERT_EQ(views.groups.size(), 3u);
    const CSqlGroupRow& block = views.groups[0];
    EXPECT_EQ(block.sqlId, "plsql1");
    EXPECT_EQ(block.self.elapsed, 150 + 1200 - 520);
    EXPECT_EQ(block.executionTimes.count, 1);
    EXPECT_EQ(block.executionTimes.median, 1200);
    const CSqlGroupRow& query = views.groups[1];
    EXPECT_EQ(query.sqlId, "select2");
    EXPECT_EQ(query.executions, 2);
    EXPECT_EQ(query.detail->errors, (std::vector<CErrorCount>{{1403, 1}}));
    // Executions: 30 + 400 and 30 + 40.
    EXPECT_EQ(query.executionTimes.min, 70);
    EXPECT_EQ(query.executionTimes.median, 70);
    EXPECT_EQ(query.executionTimes.p95, 430);
    EXPECT_EQ(query.executionTimes.max, 430);
    const CSqlGroupRow& dual = views.groups[2];
    EXPECT_EQ(dual.sqlId, "");
    EXPECT_EQ(dual.hashValue, 303);
    EXPECT_EQ(dual.executionTimes.max, 12 + 60);
    EXPECT_EQ(dual.detail->waits,
              (std::vector<CWaitFigures>{{CEventNames::Id("log file sync"), 1, 50, 50}}));
    EXPECT_EQ(dual.waitTime, 50);

    ASSERT_EQ(views.tree.size(), 2u);
    const CCallTreeRow& top = views.tree[0];
    EXPECT_EQ(top.figures, (CCallTreeFigures{2, 1350, 150 + 680, 100 + 380}));
    ASSERT_EQ(top.children.size(), 1u);
    EXPECT_EQ(top.children[0].figures, (CCallTreeFigures{5, 520, 520, 120}));
    EXPECT_EQ(views.tree[1].figures, (CCallTreeFigures{3, 87, 87, 70}));
    EXPECT_TRUE(views.tree[1].children.empty());
    for (const CStatementRecord& record : views.records) {
        EXPECT_EQ(record.Tags().Value(ESessionTag::Session), "11.22");
    }
    EXPECT_EQ(views.records.at(1).Tags().Value(ESessionTag::Action), "load");
    EXPECT_EQ(views.records.at(2).Tags().Value(ESessionTag::Action), "report");
}

// The hand-written trace read whole, in pieces of every size down to one block, and followed
// while written in random parts.
TEST(ResponseTime, KnownTraceHasKnownProfileGroupsAndTree) {
    const std::vector<CTraceFileBytes> files{{"hand_ora_9.trc", kTrace}};
    std::mt19937 random(10);
    std::vector<CTimeViews> readings{FileModeViewsOf(files, true), FileModeViewsOf(files, true, 1),
                                     FileModeViewsOf(files, true, 300),
                                     FollowViewsWhileWriting(files, 30, random, true),
                                     FollowViewsWhileWriting(files, 300, random, true)};
    for (const CTimeViews& views : readings) {
        ExpectProfile(views);
        ExpectGroupsAndTree(views);
    }
    // Hiding SYS and types changes the statements, never the profile.
    const CTimeViews hidden = FileModeViewsOf(files, false);
    EXPECT_TRUE(hidden.profile == readings[0].profile);
}

// Time stamps out of order: the greatest tim stands in the middle of the file (the CLOSE, 9000)
// and the earliest start is not the first timed line's (the FETCH of #3 moved to tim 800, less
// its e of 60). R runs from the earliest start to the greatest tim, 8260, however the file is
// cut in pieces, and the parts cut by action still add up to it.
TEST(ResponseTime, DurationSpansTimeStampsOutOfOrder) {
    std::string trace = kTrace;
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"type=0,tim=5900", "type=0,tim=9000"},
          {"r=1,dep=0,og=1,plh=0,tim=5800", "r=1,dep=0,og=1,plh=0,tim=800"}}) {
        ASSERT_NE(trace.find(from), std::string::npos) << from;
        trace.replace(trace.find(from), from.size(), to);
    }
    const std::vector<CTraceFileBytes> files{{"hand_ora_9.trc", trace}};
    std::mt19937 random(11);
    const std::vector<CTimeViews> readings{
        FileModeViewsOf(files, true), FileModeViewsOf(files, true, 1),
        FileModeViewsOf(files, true, 300), FollowViewsWhileWriting(files, 30, random, true)};
    for (const CTimeViews& views : readings) {
        const CProfileTable& whole = views.profile.tables.at(0);
        EXPECT_EQ(whole.duration, 9000 - 740);
        const auto unaccounted =
            std::find_if(whole.rows.begin(), whole.rows.end(), [](const CProfileRow& row) {
                return row.kind == CProfileRow::EKind::Unaccounted;
            });
        ASSERT_NE(unaccounted, whole.rows.end());
        EXPECT_EQ(unaccounted->time, 9000 - 740 - 695 - 3355);
        const std::vector<CProfileTable>& actions = views.cuts.at(3).tables;
        ASSERT_EQ(actions.size(), 2u);
        EXPECT_EQ(actions[0].duration + actions[1].duration, whole.duration);
        EXPECT_EQ(views.withoutIdle.tables.at(0).duration, 9000 - 740 - 3000);
    }
}

// Rows of equal time stand in the order of their names, however the file is cut in pieces:
// two waits of 20 named against the order they come in tie with the LOB calls' CPU.
TEST(ResponseTime, TiesStandInTheOrderOfTheirNames) {
    std::string trace = kTrace;
    const std::string end = "XCTEND rlbk=1, rd_only=0, tim=6000\n";
    trace.insert(trace.find(end),
                 "WAIT #3: nam='zeta wait' ela= 20 p1=0 p2=0 p3=0 obj#=-1 tim=5985\n"
                 "WAIT #3: nam='alpha wait' ela= 20 p1=0 p2=0 p3=0 obj#=-1 tim=5990\n");
    const std::vector<CTraceFileBytes> files{{"hand_ora_9.trc", trace}};
    const CTimeViews whole = FileModeViewsOf(files, true);
    const std::vector<std::string> rows = Rows(whole.profile.tables.at(0));
    const auto lob = std::find(rows.begin(), rows.end(), "CPU: LOB calls 20 1 20 20");
    ASSERT_GE(std::distance(lob, rows.end()), 3);
    EXPECT_EQ(std::vector<std::string>(lob, lob + 3),
              (std::vector<std::string>{"CPU: LOB calls 20 1 20 20", "alpha wait 20 1 20 20",
                                        "zeta wait 20 1 20 20"}));
    for (const std::int64_t pieceBytes : {1, 300}) {
        SCOPED_TRACE(std::to_string(pieceBytes) + " byte pieces");
        const CTimeViews pieces = FileModeViewsOf(files, true, pieceBytes);
        EXPECT_EQ(Rows(pieces.profile.tables.at(0)), rows);
        EXPECT_TRUE(pieces.cuts == whole.cuts);
    }
}

// The table orders its rows by any number, stably, without moving them.
TEST(ResponseTime, GroupsSortByAnyNumber) {
    const std::vector<CStatementRecord> records =
        FileModeViewsOf({{"hand_ora_9.trc", kTrace}}, true).records;
    std::vector<const CStatementRecord*> pointers;
    for (const CStatementRecord& record : records) {
        pointers.push_back(&record);
    }
    CSqlGroupTable table = CSqlGroupTable::Make(pointers, false, false, PosixTexts());
    const auto ids = [&] {
        std::string text;
        for (std::size_t i = 0; i < table.Size(); ++i) {
            text += (table.Row(i).sqlId.empty() ? "-" : table.Row(i).sqlId) + " ";
        }
        return text;
    };
    EXPECT_EQ(ids(), "plsql1 select2 - ");
    table.SortBy([](const CSqlGroupRow& row) { return row.executions; }, false);
    EXPECT_EQ(ids(), "plsql1 - select2 ");
    table.SortBy([](const CSqlGroupRow& row) { return row.waitTime; }, true);
    EXPECT_EQ(ids(), "plsql1 select2 - ");
    EXPECT_EQ(table.Row(0).detail, nullptr);
}

// Without time stamps a trace has no duration: its components are counted, but nothing is a
// share of R and nothing is unaccounted for.
TEST(ResponseTime, TraceWithoutTimHasNoDuration) {
    const std::string untimed = std::regex_replace(kTrace, std::regex(",? ?tim=[0-9]+"), "");
    ASSERT_EQ(untimed.find("tim="), std::string::npos);
    const CTimeViews views = FileModeViewsOf({{"hand_ora_9.trc", untimed}}, true);
    const CProfileTable& table = views.profile.tables.at(0);
    EXPECT_FALSE(table.timed);
    EXPECT_EQ(table.duration, 0);
    EXPECT_EQ(table.rows.size(), 9u);
    for (const CProfileRow& row : table.rows) {
        EXPECT_NE(row.kind, CProfileRow::EKind::Unaccounted);
        EXPECT_FALSE(row.share.has_value());
    }
    EXPECT_EQ(table.rows.front().time, 3000);
    EXPECT_EQ(views.cuts.at(3).tables.at(0).duration, 0);
}

// The median and 95th percentile of log-spread times are within 1/64 of the exact nearest-rank
// values; the least and greatest are exact, and so is every time below 64 microseconds.
// Histograms joined in any split equal the histogram of all times.
TEST(ResponseTime, ExecutionPercentilesAreCloseAndJoinExactly) {
    std::mt19937_64 random(64);
    for (const double spread : {5.0, 20.0, 40.0}) {
        std::lognormal_distribution<double> times(std::log(1000.0), spread / 10.0);
        std::vector<std::int64_t> values;
        CExecutionHistogram all;
        CExecutionHistogram first;
        CExecutionHistogram second;
        for (int i = 0; i < 20001; ++i) {
            const auto value = static_cast<std::int64_t>(std::min(times(random), 9e18));
            values.push_back(value);
            all.Add(value);
            (i % 3 == 0 ? first : second).Add(value);
        }
        first.Merge(second);
        EXPECT_TRUE(first == all);
        std::sort(values.begin(), values.end());
        EXPECT_EQ(all.Min(), values.front());
        EXPECT_EQ(all.Max(), values.back());
        for (const int percent : {50, 95}) {
            const std::int64_t exact = values[(values.size() * percent + 99) / 100 - 1];
            const std::int64_t near = all.Percentile(percent);
            EXPECT_LE(std::abs(static_cast<double>(near - exact)), exact / 64.0 + 1.0)
                << percent << "%: " << near << " for " << exact;
        }
    }
    CExecutionHistogram small;
    for (const std::int64_t value : {3, 63, 7, 7, 40}) {
        small.Add(value);
    }
    EXPECT_EQ(small.Percentile(50), 7);
    EXPECT_EQ(small.Percentile(95), 63);
}

} // namespace

// Many statements: groups are made on two threads, each keeping half of the keys, and the
// tree on two threads, each over half the records; they equal what one pass over all the
// records makes. Groups recur all along, every third statement calls a recursive one and
// errors and waits come and go. Every fifth statement has neither SQL id nor hash value:
// its group is its SQL text, read back from the file while the keys of the statements
// around it are looked up.
TEST(ResponseTime, ViewsMadeOnTwoThreadsEqualOnePass) {
    std::string trace;
    for (int i = 0; i < 60'000; ++i) {
        const std::string n = std::to_string(i);
        // Some statements, none of whose calls called another, take no time: their groups
        // tie and keep the order in which they came.
        const bool idle = i % 21 == 1;
        const std::string sqlId =
            idle ? "z" + std::to_string(i / 21 % 13) : "s" + std::to_string(i % 997);
        if (i % 3 == 0) {
            trace += "=====================\nPARSING IN CURSOR #7 len=8 dep=1 uid=0 oct=3 lid=0 "
                     "tim=1 hv=5 ad='1' sqlid='rec'\nselect 1\nEND OF STMT\n"
                     "EXEC #7:c=1,e=" +
                     n + ",p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=1,plh=0,tim=2\n";
        }
        const bool byText = i % 5 == 2;
        trace += "=====================\nPARSING IN CURSOR #9 len=10 dep=0 uid=5 oct=3 lid=5 "
                 "tim=3 " +
                 (byText ? "hv=0 ad='1'\nselect t" + std::to_string(i % 11)
                         : "hv=1 ad='1' sqlid='" + sqlId + "'\nselect " + n) +
                 "\nEND OF STMT\n"
                 "EXEC #9:c=" +
                 std::string(idle ? "0,e=0" : "2,e=" + std::to_string(i % 50 + 3)) +
                 ",p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=4\n";
        trace += i % 5 == 0 ? "WAIT #9: nam='db file sequential read' ela= 7 tim=5\n"
                            : "ERROR #9:err=1403 tim=6\n";
    }
    CWrittenTrace written("many_ora_3.trc", trace);
    CTraceAnalyzer& analyzer = written.Analyzer();
    ASSERT_EQ(analyzer.GetCount(), 80'000);

    std::vector<const CStatementRecord*> records;
    std::vector<CCallTreeRow> tree;
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        records.push_back(&analyzer.GetRecord(row));
        if (CCallTreeView::IsTopLevel(*records.back())) {
            tree.push_back(CCallTreeView::RowOf(*records.back()));
        }
    }
    for (const bool detailed : {false, true}) {
        EXPECT_TRUE(analyzer.SqlGroups(false, detailed) ==
                    CSqlGroupTable::Make(records, false, detailed, analyzer.Texts()));
    }
    EXPECT_EQ(analyzer.CallTree(), tree);
}

// The statements a call called are listed by elapsed time, largest first, at every depth,
// whatever order they were written in.
TEST(ResponseTime, TreeListsCallsByElapsedTimeAtEveryDepth) {
    const auto block = [](int cursor, int depth, int elapsed) {
        const std::string n = std::to_string(cursor);
        const std::string dep = std::to_string(depth);
        return "=====================\nPARSING IN CURSOR #" + n + " len=8 dep=" + dep +
               " uid=0 oct=3 lid=0 tim=1 hv=" + n + " ad='1' sqlid='s" + n + "'\nselect " + n +
               "\nEND OF STMT\nEXEC #" + n + ":c=0,e=" + std::to_string(elapsed) +
               ",p=0,cr=0,cu=0,mis=0,r=0,dep=" + dep + ",og=1,plh=0,tim=2\n";
    };
    const std::string trace =
        "=====================\nPARSING IN CURSOR #1 len=8 dep=0 uid=0 oct=3 lid=0 tim=1 hv=1 "
        "ad='1' sqlid='s1'\nselect 1\nEND OF STMT\n" +
        block(2, 1, 50) + block(4, 2, 10) + block(5, 2, 20) + block(3, 1, 100) +
        "EXEC #1:c=0,e=500,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=3\n";
    CWrittenTrace written("tree_ora_4.trc", trace);
    const std::vector<CCallTreeRow> tree = written.Analyzer().CallTree();
    ASSERT_EQ(tree.size(), 1u);
    const std::vector<CCallTreeRow>& calls = tree[0].children;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].figures.elapsed, 100);
    EXPECT_EQ(calls[1].figures.elapsed, 50);
    ASSERT_EQ(calls[0].children.size(), 2u);
    EXPECT_EQ(calls[0].children[0].figures.elapsed, 20);
    EXPECT_EQ(calls[0].children[1].figures.elapsed, 10);
}

// A builder told to expect no statements grows its table many times over: every statement of
// a SQL id (as a number or kept apart), a hash value or a SQL text still finds its group, and
// the groups equal those of a builder sized for all the statements.
TEST(ResponseTime, GroupsFoundAfterTheTableGrew) {
    std::string trace;
    std::map<std::string, std::int64_t> expected; // statements per key
    for (int i = 0; i < 6'000; ++i) {
        const int key = i * 7 % 1'500;
        std::string header = "=====================\nPARSING IN CURSOR #9 len=9 dep=0 uid=5 oct=3";
        std::string name;
        switch (key % 4) {
        case 0: // a SQL id of 13 characters, held as a number
            name = "packed" + std::string(7, 'a' + static_cast<char>(key % 20)) + "0000" +
                   std::to_string(key);
            name = name.substr(name.size() - 13);
            header += " hv=1 sqlid='" + name + "'";
            break;
        case 1: // any other SQL id, held as a text
            name = "id" + std::to_string(key);
            header += " hv=1 sqlid='" + name + "'";
            break;
        case 2:
            name = std::to_string(key);
            header += " hv=" + name + " ad='1'";
            break;
        default:
            name = "select " + std::to_string(key);
            break;
        }
        ++expected[std::to_string(key % 4) + name];
        trace += header + "\n" + (key % 4 == 3 ? name : "select 1") + "\nEND OF STMT\n";
    }
    CWrittenTrace written("groups_ora_3.trc", trace);
    CTraceAnalyzer& analyzer = written.Analyzer();
    ASSERT_EQ(analyzer.GetCount(), 6'000);

    std::vector<const CStatementRecord*> records;
    CSqlGroupBuilder growing(0, false, false, analyzer.Texts());
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        records.push_back(&analyzer.GetRecord(row));
        growing.Add(*records.back());
    }
    const CSqlGroupTable groups = growing.Finish();
    ASSERT_EQ(groups.Size(), expected.size());
    std::multiset<std::int64_t> counts;
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        counts.insert(groups.Row(i).statements);
    }
    std::multiset<std::int64_t> expectedCounts;
    for (const auto& [name, count] : expected) {
        expectedCounts.insert(count);
    }
    EXPECT_EQ(counts, expectedCounts);
    EXPECT_TRUE(groups == CSqlGroupTable::Make(records, false, false, analyzer.Texts()));
}
