#include "CSqlGroupPane.h"

#include "CScrollPosition.h"
#include "CSqlGroupColumns.h"
#include "CTraceAnalyzer.h"

#include <QHeaderView>

#include <optional>

namespace {

constexpr int kKeyWidthChars = 15;
constexpr int kNumberWidthChars = 12;
constexpr int kSqlWidthChars = 60;

} // namespace

CSqlGroupPane::CSqlGroupPane(QWidget* parent) : QTableView(parent) {
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    SetUpColumns();
    horizontalHeader()->setSortIndicator(m_model.SortColumn(), m_model.SortOrder());
    setSortingEnabled(true);
    connect(this, &QAbstractItemView::doubleClicked, this, &CSqlGroupPane::OnDoubleClick);
}

void CSqlGroupPane::SetUpColumns() {
    QHeaderView* header = horizontalHeader();
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < CSqlGroupColumns::kCount; ++column) {
        const int chars = column == CSqlGroupColumns::kKeyColumn   ? kKeyWidthChars
                          : column == CSqlGroupColumns::kSqlColumn ? kSqlWidthChars
                                                                   : kNumberWidthChars;
        header->resizeSection(column, std::max(chars * digit, header->sectionSizeHint(column)));
    }
}

void CSqlGroupPane::SetAnalyzer(const CTraceAnalyzer* analyzer) {
    m_analyzer = analyzer;
    m_model.SetGroups({}, analyzer);
}

void CSqlGroupPane::Show(CSqlGroupTable groups) {
    const CSqlGroupRow* current = m_model.Group(currentIndex().row());
    const std::optional<std::uint64_t> selected =
        current != nullptr && selectionModel()->hasSelection() ? std::optional(current->firstSerial)
                                                               : std::nullopt;
    const int column = currentIndex().column();
    const CScrollPosition scroll(*this);
    m_model.SetGroups(std::move(groups), m_analyzer);
    const int row = selected ? m_model.RowOfGroup(*selected) : -1;
    if (row >= 0) {
        selectionModel()->setCurrentIndex(m_model.index(row, std::max(0, column)),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
    }
    scroll.Restore();
}

void CSqlGroupPane::OnDoubleClick(const QModelIndex& index) {
    const CSqlGroupRow* group = m_model.Group(index.row());
    const std::int64_t row = group != nullptr && m_analyzer != nullptr
                                 ? m_analyzer->RowOfSerial(group->firstSerial)
                                 : -1;
    if (row >= 0) {
        emit StatementActivated(row);
    }
}
