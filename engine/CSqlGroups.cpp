#include "CSqlGroups.h"

#include "CProfileReport.h"
#include "CStatementRecord.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <string_view>
#include <utility>

namespace {

// What groups a statement: its SQL id, else its hash value, else its SQL text.
struct CGroupKey {
    int kind = 0; // 0 SQL id, 1 hash value, 2 SQL text
    std::string_view text;
    std::int64_t number = 0;

    bool operator==(const CGroupKey&) const = default;

    std::uint64_t Hash() const {
        const std::uint64_t h = kind == 1
                                    ? static_cast<std::uint64_t>(number) * 0x9E3779B97F4A7C15ULL
                                    : std::hash<std::string_view>()(text);
        return h ^ (static_cast<std::uint64_t>(kind) << 61);
    }
};

CGroupKey KeyOf(const CStatementRecord& record) {
    if (!record.m_strSqlId.empty()) {
        return {0, record.m_strSqlId, 0};
    }
    if (record.m_nHashValue != 0) {
        return {1, {}, record.m_nHashValue};
    }
    return {2, record.GetSql(), 0};
}

// The group of each record, found in one table of hashes with open addressing: a lookup
// touches one slot, and the key is compared only when the hashes agree.
class CGroupIndex {
public:
    explicit CGroupIndex(std::size_t records)
        : m_slots(std::bit_ceil(std::max<std::size_t>(16, 2 * records))) {}

    std::size_t GroupOf(const CStatementRecord& record) {
        const CGroupKey key = KeyOf(record);
        const std::uint64_t hash = key.Hash();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            CSlot& slot = m_slots[i];
            if (slot.group == 0) {
                slot = {hash, m_firsts.size() + 1};
                m_firsts.push_back(&record);
                return slot.group - 1;
            }
            if (slot.hash == hash && KeyOf(*m_firsts[slot.group - 1]) == key) {
                return slot.group - 1;
            }
        }
    }
    std::size_t Groups() const { return m_firsts.size(); }

private:
    struct CSlot {
        std::uint64_t hash = 0;
        std::size_t group = 0; // 1 + the group's position; 0 for a free slot
    };

    std::vector<CSlot> m_slots;
    std::vector<const CStatementRecord*> m_firsts; // each group's first record
};

void AddWait(std::vector<CWaitFigures>& sums, const CWaitFigures& wait) {
    const auto known = std::find_if(sums.begin(), sums.end(),
                                    [&](const CWaitFigures& sum) { return sum.name == wait.name; });
    if (known == sums.end()) {
        sums.push_back(wait);
        return;
    }
    known->count = SaturatingAdd(known->count, wait.count);
    known->max = std::max(known->max, wait.max);
    known->total = SaturatingAdd(known->total, wait.total);
}

void AddDetail(CSqlGroupDetail& detail, const CStatementRecord& record, bool excludeIdle) {
    detail.parse.Add(record.m_parse);
    detail.exec.Add(record.m_exec);
    detail.fetch.Add(record.m_fetch);
    detail.self.parse.Add(record.m_self.parse);
    detail.self.exec.Add(record.m_self.exec);
    detail.self.fetch.Add(record.m_self.fetch);
    for (const CWaitFigures& wait : record.m_waits) {
        if (!excludeIdle || !CProfileReport::IsIdleEvent(wait.name)) {
            AddWait(detail.waits, wait);
        }
    }
    CErrorCount::Add(detail.errors, record.m_errors);
}

void Add(CSqlGroupRow& group, const CStatementRecord& record, bool excludeIdle) {
    if (group.statements == 0) {
        group.sqlId = record.m_strSqlId;
        group.hashValue = record.m_nHashValue;
        group.firstSerial = record.m_nSerial;
    }
    ++group.statements;
    group.executions = SaturatingAdd(group.executions, record.m_exec.count);
    group.total.Add(record.m_total);
    group.self.Add(record.m_self.Total());
    for (const CWaitFigures& wait : record.m_waits) {
        if (!excludeIdle || !CProfileReport::IsIdleEvent(wait.name)) {
            group.waitTime = SaturatingAdd(group.waitTime, wait.total);
        }
    }
    for (const CErrorCount& error : record.m_errors) {
        group.errorCount = SaturatingAdd(group.errorCount, error.count);
    }
}

} // namespace

bool CSqlGroupRow::operator==(const CSqlGroupRow& other) const {
    const bool details =
        detail == other.detail || (detail && other.detail && *detail == *other.detail);
    return details && sqlId == other.sqlId && hashValue == other.hashValue &&
           firstSerial == other.firstSerial && statements == other.statements &&
           executions == other.executions && total == other.total && self == other.self &&
           waitTime == other.waitTime && errorCount == other.errorCount &&
           executionTimes == other.executionTimes;
}

// The records are read in their order, one group's after another's where a group has
// several, so that a group's execution times are summed in one histogram used again by the
// next group.
CSqlGroupTable CSqlGroupTable::Make(const std::vector<const CStatementRecord*>& records,
                                    bool excludeIdle, bool detailed) {
    CGroupIndex index(records.size());
    std::vector<std::size_t> groupOf;
    groupOf.reserve(records.size());
    for (const CStatementRecord* record : records) {
        groupOf.push_back(index.GroupOf(*record));
    }
    std::vector<std::size_t> starts(index.Groups() + 1);
    for (const std::size_t group : groupOf) {
        ++starts[group + 1];
    }
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    std::vector<const CStatementRecord*> members(records.size());
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        members[next[groupOf[i]]++] = records[i];
    }
    CSqlGroupTable table;
    table.m_rows.resize(index.Groups());
    CExecutionHistogram times;
    for (std::size_t g = 0; g < table.m_rows.size(); ++g) {
        CSqlGroupRow& row = table.m_rows[g];
        times.Clear();
        auto detail = detailed ? std::make_shared<CSqlGroupDetail>() : nullptr;
        for (std::size_t m = starts[g]; m < starts[g + 1]; ++m) {
            Add(row, *members[m], excludeIdle);
            members[m]->m_executions.AddTo(times);
            if (detail) {
                AddDetail(*detail, *members[m], excludeIdle);
            }
        }
        row.executionTimes = times.Summary();
        if (detail) {
            std::stable_sort(
                detail->waits.begin(), detail->waits.end(),
                [](const CWaitFigures& a, const CWaitFigures& b) { return a.total > b.total; });
            row.detail = std::move(detail);
        }
    }
    table.m_order.resize(table.m_rows.size());
    std::iota(table.m_order.begin(), table.m_order.end(), std::size_t{0});
    table.SortBy([](const CSqlGroupRow& row) { return row.self.elapsed; }, true);
    return table;
}

void CSqlGroupTable::SortBy(const std::function<std::int64_t(const CSqlGroupRow&)>& key,
                            bool descending) {
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(m_order.size());
    for (std::size_t position = 0; position < m_order.size(); ++position) {
        const std::int64_t value = key(m_rows[m_order[position]]);
        keyed.emplace_back(descending ? ~value : value, position);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::size_t> order;
    order.reserve(keyed.size());
    for (const auto& [value, position] : keyed) {
        order.push_back(m_order[position]);
    }
    m_order = std::move(order);
}

bool CSqlGroupTable::operator==(const CSqlGroupTable& other) const {
    if (Size() != other.Size()) {
        return false;
    }
    for (std::size_t i = 0; i < Size(); ++i) {
        if (!(Row(i) == other.Row(i))) {
            return false;
        }
    }
    return true;
}
