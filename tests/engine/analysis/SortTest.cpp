#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "CTextSortKeys.h"
#include "EngineTestSupport.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace {

const char* const kKeys[] = {"octName",      "user_id",     "pid",           "sqlStr",
                             "error_result", "total_cnt",   "total_cpu",     "total_elap",
                             "total_disk",   "total_query", "total_current", "total_rows",
                             "parse_miss",   "exec_miss",   "no_such_key"};

// The context of a record of a file with this pid, read under no session tags.
CRecordContextRef PidOnly(std::string pid) {
    return CRecordContext::Make(std::move(pid), nullptr, CSessionTags());
}

// +1 when `current` belongs before `previous`: for direction +1 the smaller number or the
// byte-wise greater text, for -1 the other way round; 0 for an unknown key.
int Compare(const CStatementRecord& current, const CStatementRecord& previous,
            const std::string& key, int direction) {
    const CStatementColumns::CColumn* column = CStatementColumns::FindBySortKey(key);
    if (column == nullptr) {
        return 0;
    }
    if (column->IsNumber()) {
        const std::int64_t a = column->numberOf(current);
        const std::int64_t b = column->numberOf(previous);
        return (a < b ? 1 : (a > b ? -1 : 0)) * direction;
    }
    CSqlReader sqls(PosixTexts());
    const std::string text(column->textOf(current, sqls));
    const int order = text.compare(column->textOf(previous, sqls));
    return (order > 0 ? 1 : (order < 0 ? -1 : 0)) * direction;
}

// The order a plain bubble sort toward position 0 gives, which the list always had.
std::vector<std::uint64_t> BubbleOrder(const CRecordChunks& chunks, const std::string& key,
                                       int direction) {
    std::vector<CStatementRecord> records;
    for (std::size_t i = 0; i < chunks.Size(); ++i) {
        records.push_back(chunks.At(i));
    }
    const std::size_t n = records.size();
    for (std::size_t i = 0; n >= 2 && i <= n - 2; ++i) {
        for (std::size_t j = n - 1; j >= i + 1; --j) {
            if (Compare(records[j], records[j - 1], key, direction) == 1) {
                std::swap(records[j], records[j - 1]);
            }
        }
    }
    std::vector<std::uint64_t> serials;
    for (const CStatementRecord& record : records) {
        serials.push_back(record.m_nSerial);
    }
    return serials;
}

// The same order for many records, from a stable sort of the whole by their keys.
std::vector<std::uint64_t> StableOrder(const CRecordChunks& chunks, const std::string& key,
                                       int direction) {
    const CStatementColumns::CColumn& column = *CStatementColumns::FindBySortKey(key);
    std::vector<std::pair<std::string, std::uint64_t>> texts;
    std::vector<std::pair<std::int64_t, std::uint64_t>> numbers;
    CSqlReader sqls(PosixTexts());
    for (std::size_t i = 0; i < chunks.Size(); ++i) {
        const CStatementRecord& record = chunks.At(i);
        if (column.IsNumber()) {
            numbers.emplace_back(column.numberOf(record), record.m_nSerial);
        } else {
            texts.emplace_back(column.textOf(record, sqls), record.m_nSerial);
        }
    }
    // +1 puts smaller numbers and greater texts first.
    const auto sorted = [direction](auto& keyed, bool greaterFirst) {
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            return (direction == 1) == greaterFirst ? b.first < a.first : a.first < b.first;
        });
        std::vector<std::uint64_t> serials;
        for (const auto& entry : keyed) {
            serials.push_back(entry.second);
        }
        return serials;
    };
    return column.IsNumber() ? sorted(numbers, false) : sorted(texts, true);
}

CReadBatch RandomRecords(std::size_t count, std::mt19937& random) {
    std::uniform_int_distribution<int> small(0, 4);
    CReadBatch batch;
    for (std::size_t i = 0; i < count; ++i) {
        CStatementRecord record;
        record.m_nSerial = i + 1;
        record.SetSql(CSharedText(std::string(1, static_cast<char>('a' + small(random))) +
                                  (small(random) ? "\xe9" : "z") + "\r\n"));
        record.SetOctName(small(random) ? "SELECT" : "INSERT");
        record.SetContext(PidOnly(std::to_string(small(random) * 500)));
        record.SetError(small(random) ? "" : "ORA-00942");
        record.SetUserId(small(random));
        record.AddCall(ECallKind::Fetch,
                       {small(random), small(random) - 2, small(random), small(random),
                        small(random), small(random), 0, small(random)});
        record.AddCall(ECallKind::Parse, {.misses = small(random)});
        record.AddCall(ECallKind::Exec, {.misses = small(random)});
        batch.appended.Add(CStatementRecord(record));
    }
    return batch;
}

// The serials of the records in the order an analyser sorts them to.
std::vector<std::uint64_t> SortedSerials(CReadBatch batch, const char* key, int direction) {
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CStderrNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.Apply(std::move(batch));
    analyzer.Sort(key, direction);
    std::vector<std::uint64_t> serials;
    for (const auto& record : RecordsOf(analyzer)) {
        serials.push_back(record.m_nSerial);
    }
    return serials;
}

TEST(Sort, GivesTheBubbleSortOrderForEveryKeyAndDirection) {
    std::mt19937 random(42);
    for (const std::size_t count : {0u, 1u, 2u, 7u, 300u}) {
        const CReadBatch batch = RandomRecords(count, random);
        for (const char* key : kKeys) {
            for (const int direction : {1, -1}) {
                EXPECT_EQ(SortedSerials(batch, key, direction),
                          BubbleOrder(batch.appended, key, direction))
                    << key << " " << direction << " n=" << count;
            }
        }
    }
}

// Many records are sorted in two halves on two threads and merged: equal keys (there are
// few distinct ones) must keep the order of a stable sort of the whole.
TEST(Sort, ManyRecordsKeepTheStableOrderOfTheWhole) {
    std::mt19937 random(7);
    const CReadBatch batch = RandomRecords(60'000, random);
    for (const char* key : {"sqlStr", "total_cpu"}) {
        for (const int direction : {1, -1}) {
            EXPECT_EQ(SortedSerials(batch, key, direction),
                      StableOrder(batch.appended, key, direction))
                << key << " " << direction;
        }
    }
}

TEST(Sort, TextKeysOrderAsBytesAcrossTheirHeadAndRest) {
    const std::string zero(1, '\0');
    const std::vector<std::string> texts = {"",
                                            "a",
                                            "ab",
                                            "ab" + zero,
                                            "ab" + zero + "x",
                                            "SELECT * FROM ORDERS WHERE 1",
                                            "SELECT * FROM ORDERS WHERE 2",
                                            "SELECT * FROM ORDERS",
                                            "SELECT * FROM ORDER",
                                            "SELECT * FROM ORDERS" + zero,
                                            "0123456789abcdef",
                                            "0123456789abcdeg",
                                            "0123456789abcdef0",
                                            "\xff",
                                            "\xe9t\xe9",
                                            std::string(40, 'z'),
                                            std::string(39, 'z') + "\xfe"};
    CTextSortKeys keys(texts.size());
    for (std::size_t i = texts.size(); i-- > 0;) {
        keys.Set(i, texts[i]);
    }
    for (std::size_t a = 0; a < texts.size(); ++a) {
        for (std::size_t b = 0; b < texts.size(); ++b) {
            const int expected = std::string_view(texts[a]).compare(texts[b]);
            const int actual = keys.Compare(a, b);
            EXPECT_EQ(actual < 0, expected < 0) << a << " " << b;
            EXPECT_EQ(actual > 0, expected > 0) << a << " " << b;
        }
    }
}

// Every column sorts by the key of its title and on the field its cells show.
TEST(Sort, EveryColumnSortsByTheKeyAndFieldItShows) {
    CStatementRecord record;
    record.SetSql(CSharedText("select 1\r\n"));
    record.SetOctName("SELECT");
    record.SetUserId(101);
    record.SetContext(PidOnly("4242"));
    record.SetError("ORA-00942");
    record.AddCall(ECallKind::Exec, {102, 103, 104, 105, 106, 107, 110, 108});
    record.AddCall(ECallKind::Parse, {.misses = 109});
    record.SetSqlId("abc");
    record.AddWait(0, 111);
    const std::pair<const char*, const char*> expected[] = {{"octName", "SELECT"},
                                                            {"user_id", "101"},
                                                            {"pid", "4242"},
                                                            {"sqlStr", "select 1"},
                                                            {"error_result", "ORA-00942"},
                                                            {"total_cnt", "102"},
                                                            {"total_cpu", "103"},
                                                            {"total_elap", "104"},
                                                            {"total_disk", "105"},
                                                            {"total_query", "106"},
                                                            {"total_current", "107"},
                                                            {"total_rows", "108"},
                                                            {"parse_miss", "109"},
                                                            {"exec_miss", "110"},
                                                            {"sql_id", "abc"},
                                                            {"self_elap", "0.000104"},
                                                            {"wait_time", "0.000111"}};
    static_assert(std::size(expected) == CStatementColumns::kCount);
    for (int column = 0; column < CStatementColumns::kCount; ++column) {
        const CStatementColumns::CColumn& c = CStatementColumns::At(column);
        const auto [key, cell] = expected[column];
        EXPECT_EQ(c.sortKey, key) << c.title;
        EXPECT_EQ(CStatementColumns::FindBySortKey(key), &c) << c.title;
        CSqlReader sqls(PosixTexts());
        EXPECT_EQ(CStatementColumns::Cell(record, column, sqls), cell) << c.title;
        const std::string sortedOn =
            !c.IsNumber() ? CStatementColumns::SqlCell(c.textOf(record, sqls))
            : c.unit == CStatementColumns::Unit::Seconds ? FormatSeconds(c.numberOf(record))
                                                         : std::to_string(c.numberOf(record));
        EXPECT_EQ(sortedOn, cell) << c.title;
    }
    EXPECT_EQ(CStatementColumns::FindBySortKey("Pid"), nullptr);
}

TEST(Sort, DirectionsOfTextAndNumberKeys) {
    CReadBatch batch;
    for (const auto& [pid, cpu] : {std::pair{"999", 5}, std::pair{"1000", 1}, std::pair{"2", 9}}) {
        CStatementRecord record;
        record.SetContext(PidOnly(pid));
        record.AddCall(ECallKind::Exec, {.cpu = cpu});
        batch.appended.Add(CStatementRecord(record));
    }
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CStderrNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.Apply(std::move(batch));
    const auto pids = [&] {
        std::string text;
        for (const auto& record : RecordsOf(analyzer)) {
            text += std::string(record.Pid()) + ",";
        }
        return text;
    };
    analyzer.Sort("total_cpu", 1);
    EXPECT_EQ(pids(), "1000,999,2,") << "numbers ascend for +1";
    analyzer.Sort("pid", 1);
    EXPECT_EQ(pids(), "999,2,1000,") << "texts descend byte-wise for +1";
    analyzer.Sort("pid", -1);
    EXPECT_EQ(pids(), "1000,2,999,");
    analyzer.Sort("Pid", 1);
    EXPECT_EQ(pids(), "1000,2,999,") << "keys are case-sensitive";
}

} // namespace
