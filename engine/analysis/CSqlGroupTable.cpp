#include "CSqlGroupTable.h"

#include "CSqlGroupBuilder.h"

#include <algorithm>
#include <utility>

bool CSqlGroupRow::operator==(const CSqlGroupRow& other) const {
    const bool details =
        detail == other.detail || (detail && other.detail && *detail == *other.detail);
    return details && sqlId == other.sqlId && hashValue == other.hashValue &&
           firstSerial == other.firstSerial && statements == other.statements &&
           executions == other.executions && total == other.total && self == other.self &&
           waitTime == other.waitTime && errorCount == other.errorCount &&
           executionTimes == other.executionTimes;
}

CSqlGroupTable::CSqlGroupTable(std::vector<CSqlGroupRow> rows, std::vector<CSqlGroupRow> more,
                               std::vector<std::size_t> order)
    : m_rows(std::move(rows)), m_more(std::move(more)), m_order(std::move(order)) {}

CSqlGroupTable CSqlGroupTable::Make(const std::vector<const CStatementRecord*>& records,
                                    bool excludeIdle, bool detailed, const CRecordTexts& texts) {
    CSqlGroupBuilder builder(records.size(), excludeIdle, detailed, texts);
    for (const CStatementRecord* record : records) {
        builder.Add(*record);
    }
    return builder.Finish();
}

void CSqlGroupTable::SortBy(const std::function<std::int64_t(const CSqlGroupRow&)>& key,
                            bool descending) {
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(m_order.size());
    for (std::size_t position = 0; position < m_order.size(); ++position) {
        const std::int64_t value = key(At(m_order[position]));
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
