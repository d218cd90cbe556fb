#include "CVelquorView.h"

#include "CStatementTexts.h"

#include "CDetailPaneDlg.h"
#include "CFindStatementDlg.h"
#include "CReadProgressPanel.h"
#include "CStatementColumns.h"
#include "CStatementSaveCommand.h"
#include "CWaitCursor.h"
#include "CWindowTabList.h"
#include "DisplayText.h"
#include "IViewHost.h"
#include "MessageBox.h"

#include <QHeaderView>
#include <QPlainTextEdit>

CVelquorView::CVelquorView(IViewHost& host, CVelquorDoc& doc, QWidget* parent)
    : QTableView(parent), m_host(host), m_doc(doc), m_finder(doc.Analyzer()), m_sorter(doc) {
    setModel(&m_doc.Model());
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CVelquorView::OnSelectionChanged);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CVelquorView::OnColumnClick);
}

CVelquorView::~CVelquorView() {
    m_host.TabList().Remove(this);
}

void CVelquorView::OnInitialUpdate() {
    m_host.TabList().Add(DecodeForDisplay(m_doc.GetTitle()), this);
    SetUpList();
    m_doc.Start();
    if (m_doc.IsReading()) {
        m_progress = std::make_unique<CReadProgressPanel>(m_doc, m_host.StatusBar());
    }
}

void CVelquorView::SetUpList() {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    SizeColumns();
}

// The table's widths, scaled with the list's font so that every title fits.
void CVelquorView::SizeColumns() {
    QHeaderView* header = horizontalHeader();
    std::array<int, CStatementColumns::kCount> needed{};
    for (int c = 0; c < CStatementColumns::kCount; ++c) {
        needed[static_cast<std::size_t>(c)] = header->sectionSizeHint(c);
    }
    const std::array<int, CStatementColumns::kCount> widths =
        CStatementColumns::FittingWidths(needed);
    for (int c = 0; c < CStatementColumns::kCount; ++c) {
        header->resizeSection(c, widths[static_cast<std::size_t>(c)]);
    }
}

void CVelquorView::OnSelectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    // The pane follows the row that changed state: the newly selected one, or else the one
    // that lost its selection.
    if (!selected.isEmpty()) {
        ShowRecordInPane(selected.indexes().constFirst().row());
    } else if (!deselected.isEmpty()) {
        ShowRecordInPane(deselected.indexes().constFirst().row());
    }
}

void CVelquorView::ShowRecordInPane(int row) {
    const CTraceAnalyzer& analyzer = m_doc.Analyzer();
    if (row < 0 || row >= analyzer.GetCount()) {
        return;
    }
    const CStatementRecord& record = analyzer.GetRecord(row);
    m_host.DetailDlg().SetStatementTexts(analyzer.Sql(record), CStatementTexts::CallStats(record),
                                         analyzer.RowSource(record),
                                         CStatementTexts::Waits(record));
}

void CVelquorView::OnClear() {
    m_doc.Clear();
    m_host.DetailDlg().SetStatementTexts({}, {}, {});
}

int CVelquorView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void CVelquorView::SelectRow(int row) {
    const QModelIndex index = model()->index(row, 0);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void CVelquorView::ShowStatement(int row) {
    if (SelectedRow() == row) {
        ShowRecordInPane(row);
    } else {
        SelectRow(row);
    }
}

// The selection follows its record through the sort; the list scrolls to it.
void CVelquorView::OnColumnClick(int column) {
    if (m_sorter.OnColumnClick(column) && selectionModel()->hasSelection()) {
        scrollTo(selectionModel()->currentIndex(), QAbstractItemView::EnsureVisible);
    }
}

int CVelquorView::FindStatement(const std::string& text, int direction) {
    int found = -1;
    {
        const CWaitCursor busy;
        found = m_finder.Find(text, direction, SelectedRow());
    }
    if (found < 0) {
        return 0;
    }
    SelectRow(found);
    setFocus();
    return 1;
}

void CVelquorView::OnEditFind() {
    CFindStatementDlg dialog(*this, m_finder.GetFindText(), m_finder.GetFindDirection(), window());
    dialog.exec();
}

void CVelquorView::OnFindNext() {
    if (!m_finder.GetFindText().empty() &&
        FindStatement(m_finder.GetFindText(), m_finder.GetFindDirection()) == 0) {
        ShowMessageBox(this, QStringLiteral("Find"), QStringLiteral("no keyword find"));
    }
}

void CVelquorView::OnEditCopy() {
    m_host.DetailDlg().EditBox().copy();
}

void CVelquorView::OnSaveStatements() {
    CStatementSaveCommand::Run(m_doc, m_finder.GetFindPos() + 1, this, &m_host.StatusBar());
}
