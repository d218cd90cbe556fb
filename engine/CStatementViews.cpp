#include "CStatementViews.h"

#include "CStatementRecord.h"

#include <algorithm>

void CStatementViews::Reserve(std::size_t more) {
    m_groups.Reserve(more);
    m_groupOf.reserve(m_groupOf.size() + more);
    m_treeRowOf.reserve(m_treeRowOf.size() + more);
    m_tree.reserve(m_tree.size() + more);
}

void CStatementViews::Add(const CStatementRecord& record) {
    if (m_bEmpty) {
        m_nFirstSerial = record.m_nSerial;
        m_bEmpty = false;
    }
    const std::size_t offset = OffsetOf(record.m_nSerial);
    if (m_groupOf.size() <= offset) {
        m_groupOf.resize(offset + 1);
        m_treeRowOf.resize(offset + 1, -1);
    }
    m_groupOf[offset] = m_groups.Add(record);
    if (CCallTreeView::IsTopLevel(record)) {
        m_treeRowOf[offset] = static_cast<std::int64_t>(m_tree.size());
        m_tree.push_back(CCallTreeView::RowOf(record));
    }
}

// A record that called others becomes top-level when it was not: it takes its place among
// the others by its serial.
void CStatementViews::Grow(const CStatementRecord& record, const CCursorFigures& added) {
    const std::size_t offset = OffsetOf(record.m_nSerial);
    m_groups.Grow(m_groupOf[offset], added);
    if (m_treeRowOf[offset] >= 0) {
        m_tree[static_cast<std::size_t>(m_treeRowOf[offset])] = CCallTreeView::RowOf(record);
        return;
    }
    if (!CCallTreeView::IsTopLevel(record)) {
        return;
    }
    const auto at = std::lower_bound(
        m_tree.begin(), m_tree.end(), record.m_nSerial,
        [](const CCallTreeRow& row, std::uint64_t serial) { return row.statement.value < serial; });
    const auto position = static_cast<std::size_t>(at - m_tree.begin());
    m_tree.insert(at, CCallTreeView::RowOf(record));
    for (std::size_t row = position; row < m_tree.size(); ++row) {
        m_treeRowOf[OffsetOf(m_tree[row].statement.value)] = static_cast<std::int64_t>(row);
    }
}

void CStatementViews::Clear() {
    *this = CStatementViews();
}
