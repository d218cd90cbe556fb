#include "CTraceAnalyzer.h"

#include "CRecordOrder.h"

#include <algorithm>

CTraceAnalyzer::CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                               INetworkShares& shares, ITraceNotifier& notifier)
    : m_reader(catalog, fileSystem, shares, notifier) {}

CApplyResult CTraceAnalyzer::ReadFileList(IReadProgress* progress) {
    return Apply(m_reader.ReadFileList(progress));
}

CApplyResult CTraceAnalyzer::ReadFolder() {
    return Apply(m_reader.ReadFolder());
}

CApplyResult CTraceAnalyzer::Apply(CReadBatch&& batch) {
    CApplyResult result;
    for (CStatementRecord& record : batch.updated) {
        const std::int64_t row = FindBySerial(record.m_nSerial);
        if (row >= 0) {
            m_records[static_cast<std::size_t>(row)] = std::move(record);
            result.updatedRows.push_back(row);
        }
    }
    result.firstAppended = m_nCount;
    result.appendedCount = static_cast<std::int64_t>(batch.appended.size());
    if (m_records.empty()) {
        m_records = std::move(batch.appended);
    } else {
        m_records.insert(m_records.end(), std::make_move_iterator(batch.appended.begin()),
                         std::make_move_iterator(batch.appended.end()));
    }
    m_nCount = static_cast<std::int64_t>(m_records.size());
    return result;
}

const CStatementRecord& CTraceAnalyzer::GetRecord(std::int64_t position) const {
    return m_records.at(static_cast<std::size_t>(position));
}

void CTraceAnalyzer::Clear() {
    m_records = {};
    m_nCount = 0;
    m_reader.RequestForgetOpenBlocks();
}

namespace {

// The positions of the records in the stable order of their keys, where a key goes before
// another only when the comparison answers +1.
template <typename Key, typename KeyOf, typename Compare>
std::vector<std::size_t> StableOrder(const std::deque<CStatementRecord>& records, KeyOf keyOf,
                                     Compare compare) {
    std::vector<std::pair<Key, std::size_t>> keyed;
    keyed.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        keyed.emplace_back(keyOf(records[i]), i);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return compare(a.first, b.first) == 1; });
    std::vector<std::size_t> positions;
    positions.reserve(keyed.size());
    for (const auto& entry : keyed) {
        positions.push_back(entry.second);
    }
    return positions;
}

} // namespace

// A record moves before its neighbour only when it compares +1 against it, so the result is
// the stable order of the comparison: a stable sort of the keys gives it in n log n.
void CTraceAnalyzer::Sort(std::string_view key, int direction) {
    const CRecordOrder order(key, direction);
    if (m_records.size() < 2 || !order.IsKnown() || (direction != 1 && direction != -1)) {
        return;
    }
    if (order.IsText()) {
        Permute(StableOrder<std::string_view>(
            m_records, [&](const CStatementRecord& r) { return order.Text(r); },
            [&](std::string_view a, std::string_view b) { return order.CompareText(a, b); }));
    } else {
        Permute(StableOrder<std::int64_t>(
            m_records, [&](const CStatementRecord& r) { return order.Number(r); },
            [&](std::int64_t a, std::int64_t b) { return order.CompareNumber(a, b); }));
    }
}

// Puts the record at positions[i] at position i, following each cycle of the permutation,
// so no second copy of the records is needed.
void CTraceAnalyzer::Permute(const std::vector<std::size_t>& positions) {
    std::vector<bool> placed(positions.size(), false);
    for (std::size_t start = 0; start < positions.size(); ++start) {
        if (placed[start]) {
            continue;
        }
        CStatementRecord held = std::move(m_records[start]);
        std::size_t at = start;
        while (positions[at] != start) {
            m_records[at] = std::move(m_records[positions[at]]);
            placed[at] = true;
            at = positions[at];
        }
        m_records[at] = std::move(held);
        placed[at] = true;
    }
}

// The record of a serial; the records a live read updates are near the end.
std::int64_t CTraceAnalyzer::FindBySerial(std::uint64_t serial) const {
    for (std::size_t i = m_records.size(); i > 0; --i) {
        if (m_records[i - 1].m_nSerial == serial) {
            return static_cast<std::int64_t>(i - 1);
        }
    }
    return -1;
}
