#include "CCallTreeView.h"

#include "CStatementRecord.h"

#include <algorithm>

namespace {

void SortByElapsed(std::vector<CCallTreeRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const CCallTreeRow& a, const CCallTreeRow& b) {
        return a.figures.elapsed > b.figures.elapsed;
    });
}

std::vector<CCallTreeRow> RowsOf(const std::vector<CCallTreeNode>& nodes,
                                 const std::function<bool(std::uint64_t)>& listed) {
    std::vector<CCallTreeRow> rows;
    rows.reserve(nodes.size());
    for (const CCallTreeNode& node : nodes) {
        CCallTreeRow& row = rows.emplace_back();
        row.statement = node.statement;
        row.listed =
            node.statement.kind == CStatementRef::EKind::Serial && listed(node.statement.value);
        row.figures = node.figures;
        row.children = RowsOf(node.children, listed);
    }
    SortByElapsed(rows);
    return rows;
}

} // namespace

void CCallTreeView::AddRoot(std::vector<CCallTreeRow>& roots, const CStatementRecord& record,
                            const std::function<bool(std::uint64_t)>& listed) {
    if (record.m_nDepth != 0 && record.m_callTree.empty()) {
        return;
    }
    CCallTreeRow& root = roots.emplace_back();
    root.statement = {CStatementRef::EKind::Serial, record.m_nSerial};
    root.listed = true;
    const CSelfFigures self = record.m_self.Total();
    root.figures = {record.m_total.count, record.m_total.elapsed, self.elapsed, self.cpu};
    root.children = RowsOf(record.m_callTree, listed);
}
