#include "CCallTreeView.h"

#include "CStatementRecord.h"

#include <algorithm>

namespace {

// Orders rows and the rows below them by inclusive elapsed time, largest first.
std::vector<CCallTreeRow> Sorted(std::vector<CCallTreeRow> rows) {
    for (CCallTreeRow& row : rows) {
        row.children = Sorted(std::move(row.children));
    }
    // Ties keep the order of the statements, so every reader lists them alike.
    std::sort(rows.begin(), rows.end(), [](const CCallTreeRow& a, const CCallTreeRow& b) {
        return a.figures.elapsed != b.figures.elapsed ? a.figures.elapsed > b.figures.elapsed
                                                      : a.statement < b.statement;
    });
    return rows;
}

} // namespace

bool CCallTreeView::IsTopLevel(const CStatementRecord& record) {
    return record.Depth() == 0 || !record.CallTree().IsEmpty();
}

void CCallTreeView::Prefetch(const CStatementRecord& record) {
    record.m_recursive.Prefetch();
    record.CallTree().Prefetch();
}

CCallTreeRow CCallTreeView::RowOf(const CStatementRecord& record) {
    const CSelfFigures self = record.SelfTotal();
    const CCallFigures total = record.Total();
    return {{CStatementRef::EKind::Serial, record.m_nSerial},
            {total.count, total.elapsed, self.elapsed, self.cpu},
            Sorted(record.CallTree().NodesAs<CCallTreeRow>())};
}
