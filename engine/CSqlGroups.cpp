#include "CSqlGroups.h"

#include "CProfileReport.h"
#include "CStatementRecord.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// What groups a statement: its SQL id, else its hash value, else its SQL text. The texts it
// is made of stay in the records while the groups are made.
struct CGroupKey {
    int kind = 0; // 0 SQL id, 1 hash value, 2 SQL text
    std::string_view text;
    std::int64_t number = 0;

    bool operator==(const CGroupKey&) const = default;
};

struct CGroupKeyHash {
    std::size_t operator()(const CGroupKey& key) const {
        return std::hash<std::string_view>()(key.text) ^
               (std::hash<std::int64_t>()(key.number) * 31 + static_cast<std::size_t>(key.kind));
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

void AddWaits(std::vector<CWaitFigures>& sums, const std::vector<CWaitFigures>& waits,
              bool excludeIdle) {
    for (const CWaitFigures& wait : waits) {
        if (excludeIdle && CProfileReport::IsIdleEvent(wait.name)) {
            continue;
        }
        const auto known = std::find_if(sums.begin(), sums.end(), [&](const CWaitFigures& sum) {
            return sum.name == wait.name;
        });
        if (known == sums.end()) {
            sums.push_back(wait);
            continue;
        }
        known->count = SaturatingAdd(known->count, wait.count);
        known->max = std::max(known->max, wait.max);
        known->total = SaturatingAdd(known->total, wait.total);
    }
}

void Add(CSqlGroupRow& group, const CStatementRecord& record, bool excludeIdle) {
    if (group.statements == 0) {
        group.sqlId = record.m_strSqlId;
        group.hashValue = record.m_nHashValue;
        group.sql = record.GetSql();
        group.firstSerial = record.m_nSerial;
    }
    ++group.statements;
    group.executions = SaturatingAdd(group.executions, record.m_exec.count);
    group.parse.Add(record.m_parse);
    group.exec.Add(record.m_exec);
    group.fetch.Add(record.m_fetch);
    group.total.Add(record.m_total);
    group.self.parse.Add(record.m_self.parse);
    group.self.exec.Add(record.m_self.exec);
    group.self.fetch.Add(record.m_self.fetch);
    AddWaits(group.waits, record.m_waits, excludeIdle);
    CErrorCount::Add(group.errors, record.m_errors);
    record.m_executions.AddTo(group.executionTimes);
}

} // namespace

std::vector<CSqlGroupRow> CSqlGroups::Make(const std::vector<const CStatementRecord*>& records,
                                           bool excludeIdle) {
    std::vector<CSqlGroupRow> groups;
    std::unordered_map<CGroupKey, std::size_t, CGroupKeyHash> index;
    index.reserve(records.size());
    for (const CStatementRecord* record : records) {
        const auto [at, added] = index.try_emplace(KeyOf(*record), groups.size());
        if (added) {
            groups.emplace_back();
        }
        Add(groups[at->second], *record, excludeIdle);
    }
    for (CSqlGroupRow& group : groups) {
        std::stable_sort(
            group.waits.begin(), group.waits.end(),
            [](const CWaitFigures& a, const CWaitFigures& b) { return a.total > b.total; });
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const CSqlGroupRow& a, const CSqlGroupRow& b) {
                         return a.self.Total().elapsed > b.self.Total().elapsed;
                     });
    return groups;
}
