#include "CCallTreePane.h"

#include "CScrollPosition.h"
#include "CTraceAnalyzer.h"
#include "ResponseTimeText.h"

#include <QHeaderView>

namespace {

constexpr int kStatementWidthChars = 60;
constexpr int kNumberWidthChars = 12;

} // namespace

CCallTreePane::CCallTreePane(QWidget* parent) : QTreeView(parent) {
    setModel(&m_model);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setExpandsOnDoubleClick(false);
    SetUpColumns();
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { m_expanded.insert(m_model.PathOf(index)); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { m_expanded.erase(m_model.PathOf(index)); });
    connect(this, &QAbstractItemView::doubleClicked, this, &CCallTreePane::OnDoubleClick);
}

void CCallTreePane::SetUpColumns() {
    QHeaderView* columns = header();
    columns->setStretchLastSection(false);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    columns->resizeSection(CCallTreeModel::Statement, kStatementWidthChars * digit);
    for (int column = CCallTreeModel::Elapsed; column < CCallTreeModel::ColumnCount; ++column) {
        columns->resizeSection(
            column, std::max(kNumberWidthChars * digit, columns->sectionSizeHint(column)));
    }
}

void CCallTreePane::SetAnalyzer(const CTraceAnalyzer* analyzer) {
    m_analyzer = analyzer;
    m_model.SetTree({}, analyzer);
    m_expanded.clear();
}

// The nodes opened before are opened again where the new tree still has them; those it has
// not are forgotten.
void CCallTreePane::Show(CCallTreeLayout tree) {
    const bool selected = selectionModel()->hasSelection();
    const CCallTreeModel::CPath current =
        selected ? m_model.PathOf(currentIndex()) : CCallTreeModel::CPath();
    const CScrollPosition scroll(*this);
    m_model.SetTree(std::move(tree), m_analyzer);
    const std::set<CCallTreeModel::CPath> expanded = std::move(m_expanded);
    m_expanded.clear();
    for (const CCallTreeModel::CPath& path : expanded) {
        const QModelIndex index = m_model.IndexOf(path);
        if (index.isValid()) {
            expand(index); // reported back into m_expanded
        }
    }
    const QModelIndex again = m_model.IndexOf(current);
    if (again.isValid()) {
        selectionModel()->setCurrentIndex(again, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }
    scroll.Restore();
}

void CCallTreePane::OnDoubleClick(const QModelIndex& index) {
    const std::int64_t row =
        index.isValid() && m_analyzer != nullptr ? m_analyzer->RowOfNode(m_model.Node(index)) : -1;
    if (row >= 0) {
        emit StatementActivated(row);
    }
}
