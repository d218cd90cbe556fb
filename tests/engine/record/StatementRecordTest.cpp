#include "CSharedTexts.h"
#include "CStatementRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

// The block's copy, the error, copied plan texts and error counts are kept apart from the
// record only when set; a record must still compare, copy and move as plain values.
TEST(StatementRecord, PartsKeptApartCompareCopyAndMoveAsValues) {
    CStatementRecord plain;
    CStatementRecord emptied;
    emptied.SetError("");
    emptied.EditNode().clear();
    EXPECT_TRUE(plain == emptied) << "parts set empty count as never set";
    EXPECT_TRUE(emptied == plain);

    CStatementRecord failed;
    failed.SetError("ORA-00942");
    failed.EditNode() = "PARSE ERROR #1\r\n";
    failed.AddError(942);
    failed.AddPlanRow(CPlanRow{1, 0, 5, 0, 0}, "TABLE ACCESS FULL T");
    EXPECT_FALSE(failed == plain);

    CStatementRecord copy = failed;
    EXPECT_TRUE(copy == failed);
    copy.SetError("ORA-01555");
    copy.EditNode() += "more\r\n";
    copy.AddError(942);
    EXPECT_EQ(failed.Error(), "ORA-00942") << "a copy shares nothing with its original";
    EXPECT_EQ(failed.Node(), "PARSE ERROR #1\r\n");
    ASSERT_EQ(failed.Errors().size(), 1U);
    EXPECT_EQ(failed.Errors()[0].count, 1);
    EXPECT_EQ(copy.Errors()[0].count, 2);

    copy = plain;
    EXPECT_TRUE(copy == plain) << "assigning a record without parts drops the copy's";
    CStatementRecord moved = std::move(failed);
    EXPECT_EQ(moved.Error(), "ORA-00942");
    EXPECT_EQ(moved.PlanTexts(), "TABLE ACCESS FULL T");
    EXPECT_TRUE(moved.PlanTextsCopied());

    CCursorFigures later;
    later.AddError(1);
    later.AddPlanRow(CPlanRow{2, 1, 5, 0, 0}, "INDEX RANGE SCAN I");
    moved.Absorb(later);
    EXPECT_EQ(moved.PlanTexts(), "TABLE ACCESS FULL TINDEX RANGE SCAN I");
    EXPECT_EQ(moved.PlanRow(1).textOffset, 19U);
    EXPECT_EQ(moved.Errors().size(), 2U);
    plain.Absorb(CCursorFigures{});
    EXPECT_TRUE(plain == emptied) << "absorbing nothing adds nothing";
}

// An id of any length reads back as set, in copies too, and one kept apart because it was
// long gives way to a short one set later.
TEST(StatementRecord, SqlIdsOfEveryLengthReadBack) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string id(length, static_cast<char>('a' + length % 26));
        CStatementRecord record;
        record.SetSqlId(id);
        EXPECT_EQ(record.SqlId(), id);
        const CStatementRecord copy = record;
        EXPECT_EQ(copy.SqlId(), id);
        EXPECT_TRUE(copy == record);
        record.SetSqlId("8ab7c5d2e1f0g");
        EXPECT_EQ(record.SqlId(), "8ab7c5d2e1f0g");
        EXPECT_EQ(copy == record, id == "8ab7c5d2e1f0g");
        record.SetSqlId("");
        EXPECT_TRUE(record == CStatementRecord()) << "an empty id leaves nothing behind";
    }
}

// Ids of 13 base-32 digits are held as numbers and the others apart; every id reads back as
// set, and a record ends the same whatever ids it held before, so records compare by the id
// alone. Among the numbers, the least and the largest, and ids one character away from them.
TEST(StatementRecord, SqlIdsHeldAsNumbersOrApartReadBackAndCompare) {
    const std::string digits = "0123456789abcdfghjkmnpqrstuvwxyz";
    std::vector<std::string> ids = {"0000000000000",
                                    "zzzzzzzzzzzzz",
                                    "g000000000000",
                                    "0000000000001",
                                    "00000000000e1",
                                    "0ilo000000000",
                                    "0A00000000000",
                                    "zzzzzzzzzzzz{",
                                    "000000000000",
                                    "00000000000000",
                                    "8ab7c5d2e1f0g",
                                    "8ab7c5d2d1f0g",
                                    "",
                                    std::string(6, '0') + '\0' + std::string(6, '0')};
    std::mt19937_64 random(42);
    for (int i = 0; i < 200; ++i) {
        std::uint64_t value = random();
        std::string id(13, '0');
        for (std::size_t at = 13; at-- > 1; value >>= 5) {
            id[at] = digits[value & 31];
        }
        id[0] = digits[random() % 32];
        ids.push_back(id);
    }
    for (const std::string& before : ids) {
        for (const std::string& id :
             {ids[0], ids[1], ids[7], ids[10], ids[12], ids[ids.size() - 1]}) {
            CStatementRecord fresh;
            fresh.SetSqlId(id);
            EXPECT_EQ(fresh.SqlId(), id);
            CStatementRecord record;
            record.SetSqlId(before);
            EXPECT_EQ(record.SqlId(), before);
            record.SetSqlId(id);
            EXPECT_EQ(record.SqlId(), id) << before;
            EXPECT_TRUE(record == fresh) << before << " then " << id;
            CStatementRecord other;
            other.SetSqlId(before);
            EXPECT_EQ(other == fresh, before == id) << before << " against " << id;
        }
    }
}

// The header's numbers read back as set whatever their size, those held in 8 or 32 bits and
// those kept apart alike, and a record set to a big value and back equals one never set to it.
TEST(StatementRecord, HeaderNumbersOfEverySizeReadBack) {
    const std::int64_t values[] = {0,
                                   1,
                                   -1,
                                   INT8_MAX,
                                   INT8_MIN,
                                   INT8_MIN + 1LL,
                                   INT8_MAX + 1LL,
                                   INT32_MAX,
                                   INT32_MIN,
                                   INT32_MIN + 1LL,
                                   INT32_MAX + 1LL,
                                   UINT32_MAX,
                                   UINT32_MAX + 1LL,
                                   3942624453LL,
                                   INT64_MIN,
                                   INT64_MAX};
    for (const std::int64_t value : values) {
        CStatementRecord record;
        record.SetUserId(value);
        record.SetDepth(value);
        record.SetHashValue(value);
        EXPECT_EQ(record.UserId(), value);
        EXPECT_EQ(record.Depth(), value);
        EXPECT_EQ(record.HashValue(), value);
        const CStatementRecord copy = record;
        EXPECT_TRUE(copy == record);
        record.SetUserId(7);
        record.SetDepth(0);
        record.SetHashValue(0);
        CStatementRecord small;
        small.SetUserId(7);
        EXPECT_TRUE(record == small) << value;
    }
}

// The pid, file and tags of a record are shared with other records and compare by what they
// say: the pid by its text, the file as it was read, a tag no line set as an empty one.
TEST(StatementRecord, SharedContextComparesByValue) {
    const auto make = [](const std::string& pid, std::shared_ptr<const CTraceFileSnapshot> file,
                         const CSessionTags& tags) {
        CStatementRecord record;
        record.SetContext(CRecordContext::Make(pid, std::move(file), tags));
        return record;
    };
    const auto snapshot = [](std::int64_t size) {
        return std::make_shared<const CTraceFileSnapshot>(
            CTraceFileSnapshot{"/t/db_ora_4242.trc", CFileStatus{{1, 2, 3}, 4, size}, {}});
    };
    CSessionTags emptyModule;
    emptyModule.Set(ESessionTag::Module, "");
    CSessionTags module = emptyModule;
    module.Set(ESessionTag::Module, "billing");

    const CStatementRecord none;
    EXPECT_TRUE(none == make("", nullptr, emptyModule)) << "no context reads as an empty one";
    EXPECT_EQ(none.File(), nullptr);
    const CStatementRecord a = make("4242", snapshot(10), module);
    EXPECT_TRUE(a == make("4242", snapshot(10), module)) << "another copy of the same snapshot";
    EXPECT_FALSE(a == make("4243", snapshot(10), module));
    EXPECT_FALSE(a == make("4242", snapshot(11), module)) << "the file changed in between";
    EXPECT_FALSE(a == make("4242", nullptr, module)) << "a copied block against one in a file";
    EXPECT_FALSE(a == make("4242", snapshot(10), emptyModule));
    EXPECT_EQ(a.Pid(), "4242");
    ASSERT_NE(a.File(), nullptr);
    EXPECT_EQ(a.File()->status.size, 10);
    EXPECT_EQ(a.Tags().Value(ESessionTag::Module), "billing");

    const CStatementRecord copy = a;
    EXPECT_EQ(&copy.Context(), &a.Context()) << "copies share one context";
}

// Records that ran the same SQL share one copy of it; a copy never changes under a record
// that shares it, and texts that only tie in hash and length stay apart.
TEST(StatementRecord, SqlTextsAreSharedOnlyWhenTheSame) {
    CSharedTexts texts;
    const CSharedText first = texts.Share("select 1\r\n", 77);
    const CSharedText again = texts.Share("select 1\r\n", 77);
    EXPECT_EQ(first.View().data(), again.View().data()) << "one copy for the same text";
    const CSharedText tied = texts.Share("select 2\r\n", 77);
    EXPECT_EQ(tied.View(), "select 2\r\n") << "the same hash and length, another text";
    const CSharedText unhashed = texts.Share("select 2\r\n", 0);
    EXPECT_EQ(unhashed.View(), "select 2\r\n");
    EXPECT_EQ(texts.Share("select 2\r\n", 0).View().data(), unhashed.View().data());
    EXPECT_TRUE(texts.Share("", 5).View().empty());

    CStatementRecord a;
    a.SetSql(first);
    CStatementRecord b;
    b.SetSql(again);
    EXPECT_TRUE(a == b);
    b.AppendSql("from dual\r\n");
    EXPECT_EQ(a.SqlCopy(), "select 1\r\n") << "appending copies a shared text";
    EXPECT_EQ(b.SqlCopy(), "select 1\r\nfrom dual\r\n");
    EXPECT_EQ(first.View(), "select 1\r\n");
    CStatementRecord c;
    c.SetSql(CSharedText("select 1\r\nfrom dual\r\n"));
    EXPECT_TRUE(b == c) << "texts compare by their bytes, shared or not";

    texts.Clear();
    EXPECT_NE(texts.Share("select 1\r\n", 77).View().data(), first.View().data());
    EXPECT_EQ(first.View(), "select 1\r\n") << "letting go of the kept copies keeps the records'";
}
