#include "CCursorMap.h"
#include "CEventNames.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_map>

namespace {

// Two files that use the same cursor numbers. In the first: a call and a wait of cursors no
// header bound yet, a statement (#1) whose execute and fetch come after a hidden SYS block
// and after a time stamp, waits on #0, a plan of #1 dumped in a later block when the cursor
// closes, and #1 bound again by a new header.
const std::string kFirst =
    "Trace file /t/a_ora_1.trc\n"
    "*** 2026-12-07 08:00:00.000\n"
    "EXEC #3:c=100,e=150,p=0,cr=5,cu=0,mis=0,r=1,dep=0,og=1,tim=1000\n"
    "WAIT #0: nam='SQL*Net message from client' ela= 500 driver id=1 #bytes=1 tim=1500\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=16 dep=0 uid=50 oct=3 lid=50 tim=2000 hv=11 ad='a' sqlid='a1'\n"
    "select a from t1\n"
    "END OF STMT\n"
    "PARSE #1:c=10,e=10,p=0,cr=0,cu=0,mis=1,r=0,dep=0,og=1,tim=2010\n"
    "=====================\n"
    "PARSING IN CURSOR #2 len=25 dep=1 uid=0 oct=3 lid=0 tim=2020 hv=22 ad='b' sqlid='b2'\n"
    "select name from obj$\n"
    "END OF STMT\n"
    "PARSE #2:c=1,e=2,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=4,tim=2030\n"
    "EXEC #2:c=3,e=4,p=0,cr=0,cu=0,mis=0,r=0,dep=1,og=4,tim=2040\n"
    "FETCH #2:c=5,e=6,p=1,cr=3,cu=0,mis=0,r=1,dep=1,og=4,tim=2050\n"
    "WAIT #2: nam='db file sequential read' ela= 7 file#=1 block#=9 blocks=1 tim=2057\n"
    "STAT #2 id=1 cnt=1 pid=0 pos=1 obj=18 op='TABLE ACCESS BY INDEX ROWID OBJ$'\n"
    "EXEC #1:c=40,e=50,p=2,cr=10,cu=1,mis=0,r=0,dep=0,og=1,tim=2100\n"
    "WAIT #1: nam='db file scattered read' ela= 30 file#=4 block#=1 blocks=8 tim=2130\n"
    "WAIT #1: nam='db file scattered read' ela= 20 file#=4 block#=9 blocks=8 tim=2150\n"
    "*** 2026-12-07 08:00:01.000\n"
    "FETCH #1:c=20,e=25,p=0,cr=4,cu=0,mis=0,r=7,dep=0,og=1,tim=2200\n"
    "WAIT #0: nam='SQL*Net message from client' ela= 900 driver id=1 #bytes=1 tim=3100\n"
    "=====================\n"
    "PARSING IN CURSOR #4 len=25 dep=0 uid=50 oct=2 lid=50 tim=3200 hv=44 ad='d' sqlid='d4'\n"
    "insert into t2 values (1)\n"
    "END OF STMT\n"
    "EXEC #4:c=30,e=35,p=0,cr=1,cu=5,mis=1,r=1,dep=0,og=1,tim=3300\n"
    "STAT #1 id=1 cnt=7 pid=0 pos=1 obj=0 op='TABLE ACCESS FULL T1'\n"
    "STAT #1 id=2 cnt=7 pid=1 pos=1 obj=0 op='INDEX FULL SCAN I1'\n"
    "CLOSE #1:c=0,e=1,dep=0,type=0,tim=3310\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=19 dep=0 uid=50 oct=6 lid=50 tim=3400 hv=55 ad='e' sqlid='e5'\n"
    "update t1 set a = 2\n"
    "END OF STMT\n"
    "EXEC #1:c=60,e=70,p=0,cr=2,cu=3,mis=0,r=1,dep=0,og=1,tim=3470\n"
    "STAT #1 id=1 cnt=0 pid=0 pos=1 obj=0 op='UPDATE T1'\n"
    "STAT #1 id=1 cnt=9 pid=0 pos=1 obj=0 op='UPDATE T1 dumped again'\n"
    "EXEC #3:c=7,e=8,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=3480\n";

// The second file's calls of #1 before its header belong to no statement of either file.
const std::string kSecond =
    "Trace file /t/b_ora_2.trc\n"
    "FETCH #1:c=900,e=900,p=0,cr=0,cu=0,mis=0,r=50,dep=0,og=1,tim=10\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=8 dep=0 uid=50 oct=3 lid=50 tim=20 hv=66 ad='f' sqlid='f6'\n"
    "select 2\n"
    "END OF STMT\n"
    "EXEC #1:c=2,e=3,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=30\n";

const std::vector<CTraceFileBytes> kFiles{{"a_ora_1.trc", kFirst}, {"b_ora_2.trc", kSecond}};

// A live analyser lists the statements of files written side by side as they came: the
// records are put in file order first.
void ExpectFigures(std::vector<CStatementRecord> records, bool showSys) {
    std::stable_partition(records.begin(), records.end(),
                          [](const CStatementRecord& record) { return record.Pid() == "1"; });
    ASSERT_EQ(records.size(), showSys ? 5u : 4u);
    const CStatementRecord& select = records[0];
    EXPECT_EQ(select.SqlCopy(), "select a from t1\r\n");
    EXPECT_EQ(select.Parse(), (CCallFigures{1, 10, 10, 0, 0, 0, 1, 0}));
    EXPECT_EQ(select.Exec(), (CCallFigures{1, 40, 50, 2, 10, 1, 0, 0}));
    EXPECT_EQ(select.Fetch(), (CCallFigures{1, 20, 25, 0, 4, 0, 0, 7}));
    EXPECT_EQ(select.Total(), (CCallFigures{3, 70, 85, 2, 14, 1, 0, 7}));
    // The hidden statement's recursive calls (9 cpu, 12 elapsed, 1 disk, 3 query) are not
    // the execute's own, whether the statement is shown or not.
    EXPECT_EQ(select.Self().exec, (CSelfFigures{31, 38, 1, 7, 1}));
    EXPECT_EQ(select.Self().fetch, (CSelfFigures{20, 25, 0, 4, 0}));
    EXPECT_EQ(select.Waits(),
              (std::vector<CWaitFigures>{{CEventNames::Id("db file scattered read"), 2, 30, 50}}));
    EXPECT_EQ(RowSourceOf(select),
              "Rows     Row Source Operation\r\n"
              "-------  ---------------------------------------------------\r\n"
              "      7  TABLE ACCESS FULL T1\r\n"
              "      7  \tINDEX FULL SCAN I1\r\n");
    EXPECT_EQ(select.Node().find("FETCH #1"), std::string::npos);

    const std::size_t next = showSys ? 2 : 1;
    if (showSys) {
        const CStatementRecord& sys = records[1];
        EXPECT_EQ(sys.Total(), (CCallFigures{3, 9, 12, 1, 3, 0, 0, 1}));
        EXPECT_EQ(sys.Waits(), (std::vector<CWaitFigures>{
                                   {CEventNames::Id("db file sequential read"), 1, 7, 7}}));
        EXPECT_EQ(sys.PlanRowCount(), 1u);
    }
    const CStatementRecord& insert = records[next];
    EXPECT_EQ(insert.Exec(), (CCallFigures{1, 30, 35, 0, 1, 5, 1, 1}));
    EXPECT_EQ(insert.PlanRowCount(), 0U) << "the plan of #1 in its block is not its own";

    const CStatementRecord& update = records[next + 1];
    EXPECT_EQ(update.Exec(), (CCallFigures{1, 60, 70, 0, 2, 3, 0, 1}));
    EXPECT_EQ(update.Total().count, 1) << "lines of #1 before its new header stay with select";
    EXPECT_EQ(RowSourceOf(update),
              "Rows     Row Source Operation\r\n"
              "-------  ---------------------------------------------------\r\n"
              "      0  UPDATE T1\r\n")
        << "the first row of an id is kept";
    EXPECT_TRUE(update.Waits().empty());

    const CStatementRecord& second = records[next + 2];
    EXPECT_EQ(second.Pid(), "2");
    EXPECT_EQ(second.Total(), (CCallFigures{1, 2, 3, 0, 0, 0, 0, 0}))
        << "a call before the file's header belongs to no statement";
}

TEST(CursorBinding, EveryLineCountsForTheStatementItsCursorIsBoundTo) {
    for (const bool showSys : {true, false}) {
        SCOPED_TRACE(showSys ? "SYS shown" : "SYS hidden");
        ExpectFigures(FileModeRecordsOf(kFiles, showSys), showSys);
        ExpectFigures(FileModeRecordsOf(kFiles, showSys, 1), showSys);
        std::mt19937 random(9);
        ExpectFigures(FollowWhileWriting(kFiles, 60, random, showSys), showSys);
        ExpectFigures(FollowWhileWriting(kFiles, static_cast<int>(kFirst.size()), random, showSys),
                      showSys);
    }
}

} // namespace

// Random work on a map of cursor numbers, the largest number and 0 among them, against the
// standard library's map: finds, insertions, changes, clearing, size and visits agree.
TEST(CursorMap, AgreesWithAStandardMapUnderRandomWork) {
    std::mt19937_64 random(11);
    const std::uint64_t keys[] = {0, 1, 2, UINT64_MAX, UINT64_MAX - 1, 139838657453830ULL};
    CCursorMap map;
    std::unordered_map<std::uint64_t, std::uint64_t> expected;
    for (int n = 0; n < 100000; ++n) {
        const std::uint64_t cursor = random() % 4 == 0 ? keys[random() % 6] : random() % 5000;
        const std::uint64_t value = random();
        switch (random() % 8) {
        case 0:
            map.Set(cursor, value);
            expected[cursor] = value;
            break;
        case 1: {
            bool added = false;
            const std::uint64_t kept = map.FindOrAdd(cursor, value, added);
            ASSERT_EQ(added, expected.emplace(cursor, value).second);
            ASSERT_EQ(kept, expected[cursor]);
            break;
        }
        case 2:
            if (random() % 500 == 0) {
                map.Clear();
                expected.clear();
            }
            break;
        default: {
            const std::uint64_t* found = map.Find(cursor);
            const auto it = expected.find(cursor);
            ASSERT_EQ(found != nullptr, it != expected.end()) << cursor;
            if (found != nullptr) {
                ASSERT_EQ(*found, it->second);
            }
        }
        }
        ASSERT_EQ(map.Size(), expected.size());
    }
    std::unordered_map<std::uint64_t, std::uint64_t> visited;
    map.ForEach([&](std::uint64_t cursor, std::uint64_t value) { visited[cursor] = value; });
    EXPECT_EQ(visited, expected);
}
