#include "CCommandTypeCatalog.h"
#include "CCursorTracker.h"
#include "CDelimitedWriter.h"
#include "CJsonWriter.h"
#include "CPosixFileSystem.h"
#include "CRecordTexts.h"
#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "JsonText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

class JsonStringTest : public testing::TestWithParam<TextCase> {};

TEST_P(JsonStringTest, EscapesAndDecodes) {
    std::string out;
    AppendJsonString(out, GetParam().input);
    EXPECT_EQ(out, "\"" + GetParam().expected + "\"");
}

const std::vector<TextCase> kJsonStringCases = {
    TextCase{"select 1", "select 1"}, TextCase{"a\"b\\c/d", "a\\\"b\\\\c/d"},
    TextCase{"\r\n\t", "\\r\\n\\t"},
    TextCase{std::string("\x01\x1f\x7f", 3), "\\u0001\\u001f\\u007f"},
    // Latin-1 bytes become the characters of their values.
    TextCase{"Caf\xE9", "Caf\xC3\xA9"}, TextCase{"\x80\xFF", "\xC2\x80\xC3\xBF"},
    // Valid UTF-8 of two, three and four bytes passes through.
    TextCase{"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80",
             "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80"},
    // Overlong, surrogate, too large, cut short: every byte on its own.
    TextCase{"\xC0\xAF", "\xC3\x80\xC2\xAF"}, TextCase{"\xE0\x80\xAF", "\xC3\xA0\xC2\x80\xC2\xAF"},
    TextCase{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
    TextCase{"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
    TextCase{"\xE2\x82 x", "\xC3\xA2\xC2\x82 x"}, TextCase{std::string("a\0b", 3), "a\\u0000b"}};

INSTANTIATE_TEST_SUITE_P(Bytes, JsonStringTest, testing::ValuesIn(kJsonStringCases));

// Every case between runs of plain text of many lengths, so that each stands at every place
// of the sixteen bytes that are looked at at once, and at the end of the text.
TEST(JsonStringPlacesTest, EscapesEachCaseWhereverItStands) {
    for (std::size_t lead = 1; lead <= 40; ++lead) {
        std::string input;
        std::string expected;
        for (const TextCase& textCase : kJsonStringCases) {
            const std::string plain(lead + input.size() % 7, 'x');
            input += plain + textCase.input;
            expected += plain + textCase.expected;
        }
        std::string out;
        AppendJsonString(out, input);
        ASSERT_EQ(out, "\"" + expected + "\"") << "lead " << lead;
    }
}

TEST(DelimitedCellTest, TsvEscapesTabsLineBreaksAndBackslashes) {
    EXPECT_EQ(CDelimitedWriter::EscapeTsv("a\tb\r\nc\\d"), "a\\tb\\r\\nc\\\\d");
    EXPECT_EQ(CDelimitedWriter::EscapeTsv("plain, \"text\""), "plain, \"text\"");
}

TEST(DelimitedCellTest, CsvQuotesOnlyWhereNeeded) {
    EXPECT_EQ(CDelimitedWriter::QuoteCsv("plain text"), "plain text");
    EXPECT_EQ(CDelimitedWriter::QuoteCsv("a,b"), "\"a,b\"");
    EXPECT_EQ(CDelimitedWriter::QuoteCsv("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CDelimitedWriter::QuoteCsv("x\r\ny"), "\"x\r\ny\"");
}

TEST(SqlCellTest, PutsTheSqlTextOnOneLine) {
    EXPECT_EQ(CStatementColumns::SqlCell("SELECT a\r\n\tFROM t\r\n\r\n WHERE x = 1\r\n"),
              "SELECT a FROM t  WHERE x = 1");
    EXPECT_EQ(CStatementColumns::SqlCell(std::string(200, 'x')), std::string(128, 'x'));
}

// 128 characters, not bytes: a UTF-8 sequence is one character and is never split; a byte
// that is not part of one counts as one; a blank that would end the cell is left out.
TEST(SqlCellTest, CutsAfter128CharactersNeverInsideOne) {
    const std::string euro = "\xE2\x82\xAC";
    std::string many;
    for (int i = 0; i < 200; ++i) {
        many += euro;
    }
    std::string cut;
    for (int i = 0; i < 128; ++i) {
        cut += euro;
    }
    EXPECT_EQ(CStatementColumns::SqlCell(many), cut);
    EXPECT_EQ(CStatementColumns::SqlCell(std::string(127, 'a') + euro + "b"),
              std::string(127, 'a') + euro);
    EXPECT_EQ(CStatementColumns::SqlCell(std::string(130, '\xE9')), std::string(128, '\xE9'));
    EXPECT_EQ(CStatementColumns::SqlCell(std::string(127, 'a') + "\r\nb"), std::string(127, 'a'));
    EXPECT_EQ(CStatementColumns::SqlCell("\r\n\t  x\r\n"), "  x");
}

class RecordFromBlockTest : public testing::Test {
protected:
    CStatementRecord Analyze(const std::string& block) {
        CCursorTracker tracker(CHeaderReader(m_catalog, true, ""), "77");
        tracker.Feed(block);
        EXPECT_EQ(tracker.Records().size(), 1u);
        return tracker.Records().empty() ? CStatementRecord() : tracker.Records().front();
    }

    CCommandTypeCatalog m_catalog;
    CPosixFileSystem m_fileSystem;
    CRecordTexts m_texts{m_fileSystem};
    CSqlReader m_sqls{m_texts};
};

TEST_F(RecordFromBlockTest, SqlCellHoldsTheFirst128CharactersOnOneLine) {
    const std::string sql = std::string(100, 'a') + "\r\n" + std::string(100, 'b') + "\r\n";
    const CStatementRecord record =
        Analyze("PARSING IN CURSOR #1 len=9 dep=0 uid=5 oct=3 lid=5\r\n" + sql + "END OF STMT\r\n");
    EXPECT_EQ(CStatementColumns::Cell(record, CStatementColumns::kSqlColumn, m_sqls),
              std::string(100, 'a') + " " + std::string(27, 'b'));
    EXPECT_EQ(CStatementColumns::Cell(record, 0, m_sqls), "SELECT");
    EXPECT_EQ(CStatementColumns::Cell(record, 2, m_sqls), "77");
}

TEST_F(RecordFromBlockTest, JsonObjectHasEveryFieldInOrder) {
    const CStatementRecord record =
        Analyze("PARSE ERROR #3:len=5 dep=0 uid=9 oct=7 lid=9 tim=1 err=942\r\ndelete x\r\n");
    EXPECT_EQ(CJsonWriter::RecordObject(record, m_sqls),
              "{\"node\":\"PARSE ERROR #3:len=5 dep=0 uid=9 oct=7 lid=9 tim=1 "
              "err=942\\r\\ndelete "
              "x\\r\\n\",\"user_id\":9,\"pid\":\"77\",\"session\":null,\"sql\":\"delete "
              "x\\r\\n\",\"call_stats\":\"\",\"row_source\":\"\",\"plan_dumps\":0,"
              "\"plans\":[],\"oct_name\":\"DELETE\","
              "\"error\":\"ORA-00942\","
              "\"parse\":{\"count\":0,\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,"
              "\"current\":0,\"misses\":0},"
              "\"exec\":{\"count\":0,\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,"
              "\"current\":0,\"misses\":0,\"rows\":0},"
              "\"fetch\":{\"count\":0,\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,"
              "\"current\":0,\"rows\":0},"
              "\"total\":{\"count\":0,\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,"
              "\"current\":0,\"rows\":0},\"waits\":{},"
              "\"self\":{\"parse\":{\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,\"current\":0},"
              "\"exec\":{\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,\"current\":0},"
              "\"fetch\":{\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,\"current\":0},"
              "\"total\":{\"cpu\":0,\"elapsed\":0,\"disk\":0,\"query\":0,\"current\":0}}}");
}

TEST_F(RecordFromBlockTest, JsonFiguresAre64Bit) {
    const CStatementRecord record =
        Analyze("PARSING IN CURSOR #1 len=9 dep=0 uid=5 oct=3 lid=5\r\nselect 1\r\nEND OF "
                "STMT\r\nFETCH #1:c=3000000000,e=3000000001,p=0,cr=0,cu=0,mis=0,r=1,dep=0\r\n");
    const std::string json = CJsonWriter::RecordObject(record, m_sqls);
    EXPECT_NE(json.find("\"fetch\":{\"count\":1,\"cpu\":3000000000,\"elapsed\":3000000001,"),
              std::string::npos);
    EXPECT_EQ(CStatementColumns::Cell(record, 6, m_sqls), "3000000000");
}

// Sums that leave the 64-bit range stop at its end, in the record and in json alike, as a
// single figure too large for it does.
TEST_F(RecordFromBlockTest, SumsBeyond64BitsSaturate) {
    const std::string max = "9223372036854775807";
    const CStatementRecord record =
        Analyze("PARSING IN CURSOR #1 len=9 dep=0 uid=5 oct=3 lid=5\r\nselect 1\r\nEND OF STMT\r\n"
                "EXEC #1:c=" +
                max + ",e=" + max + ",p=0,cr=0,cu=0,mis=0,r=" + max +
                ",dep=0\r\n"
                "EXEC #1:c=" +
                max +
                ",e=5,p=0,cr=0,cu=0,mis=0,r=99999999999999999999,dep=0\r\n"
                "FETCH #1:c=7,e=" +
                max + ",p=0,cr=0,cu=0,mis=0,r=" + max +
                ",dep=0\r\n"
                "WAIT #1: nam='db file sequential read' ela= " +
                max +
                "\r\n"
                "WAIT #1: nam='db file sequential read' ela= " +
                max + "\r\n");
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(record.Exec(), (CCallFigures{2, kMax, kMax, 0, 0, 0, 0, kMax}));
    EXPECT_EQ(record.Total(), (CCallFigures{3, kMax, kMax, 0, 0, 0, 0, kMax}));
    EXPECT_EQ(record.Self().Total().cpu, kMax);
    const std::string json = CJsonWriter::RecordObject(record, m_sqls);
    EXPECT_NE(json.find("\"total\":{\"count\":3,\"cpu\":" + max + ",\"elapsed\":" + max +
                        ",\"disk\":0,\"query\":0,\"current\":0,\"rows\":" + max + "}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"count\":2,\"max\":" + max + ",\"total\":" + max + "}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"total\":{\"cpu\":" + max + ",\"elapsed\":" + max), std::string::npos)
        << json;
}

} // namespace
