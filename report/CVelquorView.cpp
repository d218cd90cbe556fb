#include "CVelquorView.h"

#include "CStatementTexts.h"

#include "CDetailPaneDlg.h"
#include "CFindStatementDlg.h"
#include "CListColumnsMenu.h"
#include "CReadProgressPanel.h"
#include "CStatementColumns.h"
#include "CStatementSaveCommand.h"
#include "CWaitCursor.h"
#include "CWindowTabList.h"
#include "DisplayText.h"
#include "IViewHost.h"
#include "MessageBox.h"

#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>

CVelquorView::CVelquorView(IViewHost& host, CVelquorDoc& doc, QWidget* parent)
    : QTableView(parent), m_host(host), m_doc(doc), m_finder(doc.Analyzer()), m_sorter(doc) {
    setModel(&m_doc.Model());
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CVelquorView::OnSelectionChanged);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CVelquorView::OnColumnClick);
    connect(&m_doc, &CVelquorDoc::ReadFinished, this, &CVelquorView::OnReadFinished);
}

CVelquorView::~CVelquorView() {
    m_host.TabList().Remove(this);
}

void CVelquorView::OnInitialUpdate() {
    m_host.TabList().Add(m_doc.TabTitle(), this, m_doc.TabTip());
    SetUpList();
    m_doc.Start();
    StartRead();
}

// A file read shows its progress in the status bar while it lasts.
void CVelquorView::StartRead() {
    if (m_doc.IsReading()) {
        m_progress = std::make_unique<CReadProgressPanel>(m_doc, m_host.StatusBar());
    }
}

// Once the rows are there, Command Type widens to its longest name shown, so no name is
// cut while the list has room.
void CVelquorView::OnReadFinished(bool partial) {
    m_bNothingFound = !partial && m_doc.Analyzer().GetCount() == 0;
    QHeaderView* header = horizontalHeader();
    header->resizeSection(0, std::max(header->sectionSize(0), sizeHintForColumn(0)));
    viewport()->update();
}

QString CVelquorView::EmptyNote() const {
    if (!m_bNothingFound || m_doc.Analyzer().GetCount() != 0) {
        return {};
    }
    return QStringLiteral(
        "No statement was found in these files.\n\nA SQL trace is what a server process writes "
        "while SQL tracing is on (event 10046, sql_trace or DBMS_MONITOR). Its statements are "
        "blocks that begin with a line like\n\nPARSING IN CURSOR #140 len=26 dep=0 uid=5 oct=3 "
        "lid=5 tim=1234 hv=1 ad='a' sqlid='b'\n\nfollowed by the SQL text, END OF STMT and "
        "PARSE, EXEC, FETCH, WAIT and STAT lines. A report made from a trace, such as a tkprof "
        "report, holds none of these.");
}

// An empty list after a read says why, in the middle of the window.
void CVelquorView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const QString note = EmptyNote();
    if (note.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    const int margin = fontMetrics().height() * 2;
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, note);
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
    new CListColumnsMenu(*horizontalHeader());
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
    std::string sql = analyzer.Sql(record);
    // A text its file no longer holds can be read again from the pane.
    const bool changed = m_doc.CanReadAgain() && record.File() != nullptr &&
                         analyzer.Texts().IsChanged(*record.File());
    CDetailPaneDlg& pane = m_host.DetailDlg();
    pane.SetStatementTexts(std::move(sql), CStatementTexts::CallStats(record),
                           analyzer.PlanSection(record), CStatementTexts::Waits(record));
    pane.OfferReadAgain(changed);
}

void CVelquorView::ShowSelectionInPane() {
    const int row = SelectedRow();
    if (row < 0) {
        m_host.DetailDlg().SetStatementTexts({}, {}, {});
    } else {
        ShowRecordInPane(row);
    }
}

void CVelquorView::OnClear() {
    m_bNothingFound = false;
    m_doc.Clear();
    m_host.DetailDlg().SetStatementTexts({}, {}, {});
}

void CVelquorView::OnReadAgain() {
    if (!m_doc.CanReadAgain()) {
        return;
    }
    m_host.DetailDlg().SetStatementTexts({}, {}, {});
    m_bNothingFound = false;
    m_doc.ReadAgain();
    StartRead();
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
