#include "CFakeFileSystem.h"
#include "CHeaderReader.h"
#include "CStatementTexts.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<CStatementRecord> Analyze(const std::string& text, bool showSys = true,
                                      const std::string& flags = "",
                                      const std::string& path = "/t/db_ora_1234.trc") {
    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    fileSystem.Put(path, text);
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath(path + "|");
    analyzer.SetShowSys(showSys);
    analyzer.SetTypeFlags(flags);
    analyzer.ReadFileList();
    return RecordsOf(analyzer);
}

TEST(CursorBlock, ReadsHeaderSqlAndCallFigures) {
    const auto records = Analyze("*** 2024-01-01\n" + CursorBlock(7, 55, 3, "select 1\nfrom dual") +
                                 "*** 2024-01-01 10:00\nEXEC #7:c=999,e=1,p=0,cr=0,cu=0,r=0\n");
    ASSERT_EQ(records.size(), 1u);
    const CStatementRecord& r = records[0];
    EXPECT_EQ(r.UserId(), 55);
    EXPECT_EQ(r.OctName(), "SELECT");
    EXPECT_EQ(r.Pid(), "1234");
    EXPECT_EQ(r.SqlCopy(), "select 1\r\nfrom dual\r\n");
    EXPECT_TRUE(r.Node().starts_with("PARSING IN CURSOR #7 len="));
    EXPECT_EQ(r.Node().find('\n', 0), r.Node().find("\r\n") + 1);
    EXPECT_EQ(r.Parse(), (CCallFigures{1, 10, 12, 0, 1, 0, 1, 0}));
    EXPECT_EQ(r.Exec(), (CCallFigures{2, 1019, 23, 1, 2, 3, 0, 4}))
        << "a call of the cursor after a later separator counts for it too";
    EXPECT_EQ(r.Fetch(), (CCallFigures{1, 30, 32, 2, 3, 4, 0, 5}));
    EXPECT_EQ(r.Total(), (CCallFigures{4, 1059, 67, 3, 6, 7, 0, 9}));
    EXPECT_EQ(CStatementTexts::CallStats(r),
              "call     count       cpu    elapsed       disk      query    current       rows\r\n"
              "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n"
              "Parse        1        10         12          0          1          0          0\r\n"
              "Execute      2      1019         23          1          2          3          4\r\n"
              "Fetch        1        30         32          2          3          4          5\r\n"
              "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n"
              "Total        4      1059         67          3          6          7          9");
    EXPECT_EQ(r.Node().find("EXEC #7:c=999"), std::string::npos)
        << "the block keeps only its own lines";
}

TEST(CursorBlock, CallLineRules) {
    const std::string block = "PARSING IN CURSOR #1 len=1 uid=5 oct=2 lid=5\nx\nEND OF STMT\n"
                              "PARSE #1:c=1,e=2,p=0,cr=0,cu=0,mis=1,r=5,dep=0\n"
                              "EXEC #1:c=1,e=2,p=0,cr=0,cu=0,mis=0,r=10,dep=0\n"
                              "EXEC #1:c=1,e=2,p=0,cr=0,cu=0,mis=0,r=20,dep=0\n"
                              "FETCH #1:c=1,e=2,p=0,cr=0,cu=0,mis=1,r=3,dep=0\n"
                              "FETCH #12:c=100,e=100,r=100,dep=0\n"
                              "WAIT #1: nam='x' PARSE #1:c=4,e=7\n"
                              "EXEC #1:c=1,e=9\n";
    const auto records = Analyze(block);
    ASSERT_EQ(records.size(), 1u);
    const CStatementRecord& r = records[0];
    EXPECT_EQ(r.Parse().count, 2) << "a parse pattern counts wherever it stands in the line";
    EXPECT_EQ(r.Parse().misses, 1);
    EXPECT_EQ(r.Parse().rows, 0) << "parse has no rows";
    EXPECT_EQ(r.Parse().elapsed, 2) << "an elapsed value that ends the line adds 0";
    EXPECT_EQ(r.Exec().count, 3);
    EXPECT_EQ(r.Exec().rows, 30);
    EXPECT_EQ(r.Fetch().count, 1) << "a line for #12 is not one for #1";
    EXPECT_EQ(r.Fetch().misses, 0) << "fetch has no misses";
    EXPECT_EQ(r.Total().rows, 33);
    EXPECT_EQ(r.OctName(), "INSERT");
}

// The block's own call patterns count far into a long line, among ids that begin like its
// own, and after a call line's own pairs (another cursor's call, or its own of another kind);
// a header whose id lacks the "#" is matched as written.
TEST(CursorBlock, OwnCallPatternsCountAnywhereInALongLine) {
    const std::string filler(300, 'x');
    const std::string text =
        "PARSING IN CURSOR #12 len=1 uid=5 oct=3\nx\nEND OF STMT\n" + filler +
        " obj#=1 EXEC #123:c=1, PARSE #1:c=1, EXEC#12:c=1, #12: " + filler +
        " FETCH #12:c=1,e=2, EXEC #12:c=3,e=4,\n"
        "WAIT #12: nam='x' ela= 1 file#=2 " +
        filler +
        " PARSE #12:c=5,e=6,\n"
        "FETCH #9:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=5 EXEC #12:c=2,\n"
        "EXEC #12:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=5 FETCH #12:c=2,\n"
        "=====================\n"
        "PARSING IN CURSOR x7 len=1 uid=5 oct=3\ny\nEND OF STMT\n" +
        filler + " EXEC x7:c=1,e=1, FETCH #7:c=1,e=1,\n";
    const auto records = Analyze(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Parse().count, 1);
    EXPECT_EQ(records[0].Exec().count, 3);
    EXPECT_EQ(records[0].Fetch().count, 2);
    EXPECT_EQ(records[1].Exec().count, 1);
    EXPECT_EQ(records[1].Fetch().count, 0);
}

TEST(CursorBlock, FiguresAreSixtyFourBitAndWideCountsShiftTheRow) {
    std::string block = "PARSING IN CURSOR #1 len=1 uid=5 oct=3\nx\nEND OF STMT\n";
    for (int i = 0; i < 3; ++i) {
        block += "FETCH #1:c=1500000000,e=2000000000,p=0,cr=0,cu=0,r=0,dep=0\n";
    }
    const auto records = Analyze(block);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Total().cpu, 4500000000LL);
    EXPECT_EQ(records[0].Total().elapsed, 6000000000LL);
    EXPECT_NE(CStatementTexts::CallStats(records[0])
                  .find("Fetch        3  4500000000 6000000000          0"),
              std::string::npos);

    CStatementRecord wide;
    wide.m_bCursorBlock = true;
    wide.m_bHasRest = true;
    wide.AddCall(ECallKind::Parse, {.count = 1234567});
    EXPECT_NE(CStatementTexts::CallStats(wide).find("Parse   1234567         0"),
              std::string::npos);
}

TEST(CursorBlock, HeaderOnlyBlockHasNoStatisticsAndNoEndHasNoSql) {
    auto records = Analyze("=====================\nPARSING IN CURSOR #3 len=5 uid=9 oct=3\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SqlCopy(), "");
    EXPECT_EQ(CStatementTexts::CallStats(records[0]), "");

    records = Analyze("PARSING IN CURSOR #3 len=5 uid=9 oct=3\nselect\nEXEC #3:c=5,e=6,p=0\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SqlCopy(), "");
    EXPECT_EQ(records[0].Exec().cpu, 5);
    EXPECT_NE(CStatementTexts::CallStats(records[0]), "");

    records = Analyze("PARSING IN CURSOR #3 uid=9 oct=3\nx\nEND OF STMT\n"
                      "WAIT #3: PARSE #3:c=1,e=1,\nEXEC #3:c=5,e=6,p=0\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Parse().count, 0) << "no len: no cursor id to find anywhere in a line";
    EXPECT_EQ(records[0].Exec().count, 1) << "the header binds its number all the same";
}

TEST(CursorBlock, SysAndCommandTypeFilters) {
    const std::string text = CursorBlock(1, 0, 3, "sys select") + CursorBlock(2, 5, 3, "select") +
                             CursorBlock(3, 5, 2, "insert") + CursorBlock(4, 0, 2, "sys insert");
    EXPECT_EQ(Analyze(text, true).size(), 4u);
    EXPECT_EQ(Analyze(text, false).size(), 2u);
    std::string flags(144, '1');
    flags[73] = '0';
    const auto records = Analyze(text, false, flags);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SqlCopy(), "insert\r\n");
    EXPECT_EQ(Analyze("PARSING IN CURSOR #1 len=1 oct=3\nx\nEND OF STMT\n", false).size(), 0u)
        << "no uid= reads as SYS";
}

// Headers in the layout servers write are read by a fast path; with a blank the layout does
// not have they are read by the general rules. Both readings must agree for every value the fields
// take (and the fast path refuse what it cannot read as they do): wide and zero numbers, SYS and
// hidden command types, addresses and ids of every length, no id, and ids the layout refuses.
TEST(CursorBlock, HeadersInTheServersLayoutReadAsByTheGeneralRules) {
    std::mt19937_64 random(17);
    const auto digits = [&](std::size_t most) {
        std::string text = std::to_string(random() % 10);
        const std::size_t more = random() % most;
        for (std::size_t i = 0; i < more; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    const auto word = [&](std::string_view letters, std::size_t most) {
        std::string text;
        const std::size_t length = random() % (most + 1);
        for (std::size_t i = 0; i < length; ++i) {
            text += letters[random() % letters.size()];
        }
        return text;
    };
    std::string flags(144, '1');
    flags[73] = '0';
    for (const bool showSys : {true, false}) {
        const CHeaderReader reader(TestCatalog(), showSys, flags);
        for (int i = 0; i < 20'000; ++i) {
            const std::string uid = random() % 4 == 0 ? "0" : digits(12);
            const std::string oct = random() % 3 == 0 ? "3" : digits(12);
            // Now and then an address or id holds text the general rules search for.
            const auto odd = [&](std::string text) {
                return random() % 8 == 0 ? text + " hv=" + digits(3) : text;
            };
            const std::string sqlId = odd(word(
                random() % 9 == 0 ? "0123456789abcdefXYZ" : "0123456789abcdefghjkmnpqrstuvwxyz",
                14));
            const std::string head = "PARSING IN CURSOR #" + digits(21) + " len=" + digits(6) +
                                     " dep=" + digits(3) + " uid=" + uid + " oct=" + oct;
            const std::string tail = digits(6) + " tim=" + digits(17) + " hv=" + digits(20) +
                                     " ad='" + odd(word("0123456789abcdefABCDEF", 16)) + "'" +
                                     (random() % 5 == 0 ? "" : " sqlid='" + sqlId + "'");
            // A blank after "lid=", which the general rules do not read, makes the fast path
            // refuse the header.
            const std::string layout = head + " lid=" + tail;
            SCOPED_TRACE(layout);
            CStatementRecord fast;
            CStatementRecord general;
            const CHeaderReader::CHeader a = reader.Read(layout, fast);
            const CHeaderReader::CHeader b = reader.Read(head + " lid= " + tail, general);
            ASSERT_EQ(a.kind, b.kind);
            ASSERT_EQ(a.hasCursor, b.hasCursor);
            ASSERT_EQ(a.cursor, b.cursor);
            ASSERT_EQ(a.depth, b.depth);
            ASSERT_TRUE(fast == general);
            ASSERT_EQ(fast.SqlId(), general.SqlId());
            ASSERT_EQ(fast.HashValue(), general.HashValue());
            ASSERT_EQ(fast.UserId(), general.UserId());
            ASSERT_EQ(fast.OctName(), general.OctName());
        }
    }
}

TEST(Splitting, SeparatorsBlankLinesAndLineBreakKinds) {
    const std::string text = "=====================\r\nPARSING IN CURSOR #1 len=1 uid=5 oct=3\r\n"
                             "select\r\n\r\n\r\nfrom t\rEND OF STMT\n"
                             "======================\nDump file\n"
                             "*** 2024 stamp\nEXEC #1:c=1\n";
    const auto records = Analyze(text);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SqlCopy(), "select\r\nfrom t\r\n");
    EXPECT_EQ(records[0].Node(), "PARSING IN CURSOR #1 len=1 uid=5 oct=3\r\nselect\r\nfrom "
                                 "t\r\nEND OF STMT\r\n======================\r\nDump file\r\n");
    EXPECT_EQ(records[0].Exec().count, 1) << "calls after a separator count for their cursor";
}

TEST(Splitting, ZeroByteEndsTheText) {
    std::string text = CursorBlock(1, 5, 3, "a") + std::string(1, '\0') + CursorBlock(2, 5, 3, "b");
    EXPECT_EQ(Analyze(text).size(), 1u);
}

TEST(ParseError, ErrorTextByDigitCount) {
    const auto error = [](const std::string& err) {
        const auto records =
            Analyze("PARSE ERROR #5:len=10 dep=0 uid=7 oct=3 lid=7 tim=1 err=" + err +
                    "\nselect * from\nnowhere\n");
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? std::string("?") : std::string(records[0].Error());
    };
    EXPECT_EQ(error("942"), "ORA-00942");
    EXPECT_EQ(error("1031"), "ORA-01031");
    EXPECT_EQ(error("12345"), "ORA-12345");
    EXPECT_EQ(error("12"), "");
    EXPECT_EQ(error("123456"), "");
    const auto records = Analyze("PARSE ERROR #5:len=10 dep=0 uid=7 oct=3 err=942\nselect *\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SqlCopy(), "select *\r\n");
    EXPECT_EQ(CStatementTexts::CallStats(records[0]), "");
    EXPECT_EQ(records[0].Total(), CCallFigures{});
}

TEST(RowSource, IndentedPlanInIdOrder) {
    const std::string block = "PARSING IN CURSOR #1 len=1 uid=5 oct=3\nx\nEND OF STMT\n"
                              "EXEC #1:c=1\n"
                              "STAT #1 id=1 cnt=1 pid=0 pos=1 obj=0 op='A'\n"
                              "STAT #1 id=2 cnt=14 pid=1 pos=1 obj=0 op='B'\n"
                              "STAT #1 id=4 cnt=3 pid=1 pos=1 obj=0 op='D'\n"
                              "STAT #1 id=3 cnt=7 pid=2 pos=1 obj=0 op='C (it''s)'\n"
                              "STAT #2 id=4 cnt=1 pid=0 op='other cursor'\n"
                              " STAT #1 id=5 cnt=1 pid=0 op='not at line start'\n"
                              "STAT #1 id=6 cnt=2 pid=40 op='orphan'\n"
                              "STAT #1 id=2 cnt=99 pid=0 pos=1 obj=0 op='dup of a later dump'\n";
    const auto records = Analyze(block);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(RowSourceOf(records[0]),
              "Rows     Row Source Operation\r\n"
              "-------  ---------------------------------------------------\r\n"
              "      1  A\r\n"
              "     14  \tB\r\n"
              "      7  \t\tC (it\r\n"
              "      3  \tD\r\n"
              "      2  \torphan\r\n");
    const auto first = Analyze("PARSING IN CURSOR #1 len=1 uid=5 oct=3\nx\nEND OF STMT\n"
                               "STAT #1 id=1 cnt=1 pid=0 op='A'\n");
    EXPECT_EQ(RowSourceOf(first[0]),
              "Rows     Row Source Operation\r\n"
              "-------  ---------------------------------------------------\r\n"
              "      1  A\r\n")
        << "every STAT line of the cursor counts, the one right after END OF STMT too";
}

TEST(ProcessId, TakenFromTheFileName) {
    EXPECT_EQ(CHeaderReader::PidFromPath("/x/db_ora_1234.trc"), "1234");
    EXPECT_EQ(CHeaderReader::PidFromPath("/x/trace.trc"), "");
    EXPECT_EQ(CHeaderReader::PidFromPath("/x.y/db_ora_12"), "");
    EXPECT_EQ(CHeaderReader::PidFromPath("/my_dir/trace.trc"), "dir/trace");
    EXPECT_EQ(CHeaderReader::PidFromPath("_1.trc"), "");
    EXPECT_EQ(CHeaderReader::PidFromPath("/x/db_ora_1234.trc.gz"), "1234");
}

} // namespace
