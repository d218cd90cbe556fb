#include "CVelquorView.h"

#include "CDetailPaneDlg.h"
#include "CFileDialogs.h"
#include "CFileReadWorker.h"
#include "CFindStatementDlg.h"
#include "COpenRequest.h"
#include "CRefreshWorker.h"
#include "CStatementSaver.h"
#include "CVelquorDoc.h"
#include "CWindowTabList.h"
#include "DisplayText.h"
#include "IViewHost.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <charconv>

namespace {

constexpr int kProgressRange = 1000;
constexpr int kStatusMessageMs = 5000;
constexpr int kProgressWidth = 220;

// The leading decimal integer of a text ("1" gives 1); an empty or non-numeric text gives 0.
std::int64_t LeadingNumber(const std::string& text) {
    std::int64_t value = 0;
    const char* first = text.data();
    while (first != text.data() + text.size() && (*first == ' ' || *first == '\t')) {
        ++first;
    }
    std::from_chars(first, text.data() + text.size(), value);
    return value;
}

} // namespace

CVelquorView::CVelquorView(IViewHost& host, const CVelquorDoc& doc, QWidget* parent)
    : QTableView(parent), m_host(host), m_doc(doc), m_notifier(*this),
      m_analyzer(host.Catalog(), m_fileSystem, m_shares, m_notifier), m_model(m_analyzer) {
    setModel(&m_model);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CVelquorView::OnSelectionChanged);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CVelquorView::OnColumnClick);
}

CVelquorView::~CVelquorView() {
    // A worker waiting for a message box is released first, then each worker ends (never in
    // the middle of a read) before the analyser goes.
    m_notifier.Release();
    m_readWorker.reset();
    m_refreshWorker.reset();
    RemoveProgress();
    m_host.TabList().Remove(this);
}

void CVelquorView::OnInitialUpdate() {
    m_host.TabList().Add(DecodeForDisplay(m_doc.GetTitle()), this);
    SetUpList();

    const COpenRequest& request = m_host.OpenRequest();
    m_analyzer.SetPath(request.m_strTracePath);
    if (request.m_nOpenMode == COpenRequest::kModeLiveTrace) {
        m_bLiveMode = true;
        m_bRunning = 1;
        m_analyzer.SetShowSys(LeadingNumber(request.m_strShowSys));
        m_analyzer.SetTypeFlags(request.m_strCommandTypeFlags);
        StartRefreshThread();
    } else if (request.m_nOpenMode == COpenRequest::kModeTraceFiles) {
        m_bRunning = 0;
        m_analyzer.SetShowSys(LeadingNumber(request.m_strShowSys));
        m_analyzer.SetTypeFlags({});
        StartFileRead();
    }
    emit CommandStateChanged();
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
    for (int c = 0; c < CStatementListModel::kColumnCount; ++c) {
        horizontalHeader()->resizeSection(c, CStatementListModel::GetColumn(c).width);
    }
}

void CVelquorView::StartFileRead() {
    m_bDiscardRead = false;
    m_readWorker = std::make_unique<CFileReadWorker>(
        m_analyzer.Reader(), *this,
        [this](std::int64_t done, std::int64_t total) { OnReadProgress(done, total); },
        [this](CReadBatch&& batch) { OnFileReadDone(std::move(batch)); });
    ShowProgress();
    m_readWorker->Start();
}

void CVelquorView::StartRefreshThread() {
    m_refreshWorker = std::make_unique<CRefreshWorker>(
        m_analyzer.Reader(), m_bRunning, *this,
        [this](CReadBatch&& batch) { RefreshList(std::move(batch)); });
    m_refreshWorker->StartRefreshThread();
}

void CVelquorView::ShowProgress() {
    QStatusBar& bar = m_host.StatusBar();
    m_progressBar = new QProgressBar(&bar);
    m_progressBar->setObjectName(QStringLiteral("readProgress"));
    m_progressBar->setRange(0, kProgressRange);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(DecodeForDisplay(m_doc.GetTitle()) % QStringLiteral(" %p%"));
    m_progressBar->setMinimumWidth(kProgressWidth);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), &bar);
    m_cancelButton->setObjectName(QStringLiteral("readCancel"));
    connect(m_cancelButton, &QPushButton::clicked, this, &CVelquorView::CancelRead);
    bar.addPermanentWidget(m_progressBar);
    bar.addPermanentWidget(m_cancelButton);
}

void CVelquorView::RemoveProgress() {
    delete m_progressBar.data();
    delete m_cancelButton.data();
}

void CVelquorView::OnReadProgress(std::int64_t done, std::int64_t total) {
    if (m_progressBar && total > 0) {
        m_progressBar->setValue(static_cast<int>(done * kProgressRange / total));
    }
}

void CVelquorView::CancelRead() {
    if (m_readWorker) {
        m_readWorker->Cancel();
    }
}

void CVelquorView::OnFileReadDone(CReadBatch&& batch) {
    m_readWorker.reset(); // the thread has finished: this call was its last act
    RemoveProgress();
    const bool cancelled = batch.cancelled;
    if (!m_bDiscardRead) {
        RefreshList(std::move(batch));
    }
    if (cancelled && !m_bDiscardRead) {
        m_host.StatusBar().showMessage(
            QStringLiteral("Reading cancelled: only the statements read until then are listed."),
            kStatusMessageMs);
    }
    emit CommandStateChanged();
    emit ReadFinished();
}

void CVelquorView::RefreshList(CReadBatch&& batch) {
    m_model.Apply(std::move(batch));
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
    if (row < 0 || row >= m_analyzer.GetCount()) {
        return;
    }
    const CStatementRecord& record = m_analyzer.GetRecord(row);
    m_host.DetailDlg().SetStatementTexts(std::string(record.GetSql()), record.GetCallStats(),
                                         record.GetRowSource());
}

void CVelquorView::OnRefreshStart() {
    m_bRunning = 1;
    emit CommandStateChanged();
}

void CVelquorView::OnRefreshStop() {
    m_bRunning = 0;
    emit CommandStateChanged();
}

void CVelquorView::OnClear() {
    if (m_readWorker) {
        m_bDiscardRead = true; // the list stays empty for good
        m_readWorker->Cancel();
    }
    m_model.Clear();
    m_host.DetailDlg().SetStatementTexts({}, {}, {});
}

int CVelquorView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void CVelquorView::SelectRow(int row) {
    const QModelIndex index = m_model.index(row, 0);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void CVelquorView::ShowMessage(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
}

void CVelquorView::OnColumnClick(int column) {
    if (!CanSort() || column < 0 || column >= CStatementListModel::kColumnCount) {
        return;
    }
    if (column == m_nSortColumn) {
        m_nSortOrder = -m_nSortOrder;
    } else {
        m_nSortOrder = 1;
        m_nSortColumn = column;
    }
    // The selected record stays selected wherever the sort puts it.
    const int selected = SelectedRow();
    const std::uint64_t serial =
        selected >= 0 ? m_analyzer.GetRecord(selected).m_nSerial : std::uint64_t{0};
    m_model.Sort(m_nSortColumn, m_nSortOrder);
    if (selected < 0) {
        return;
    }
    for (std::int64_t i = 0; i < m_analyzer.GetCount(); ++i) {
        if (m_analyzer.GetRecord(i).m_nSerial == serial) {
            SelectRow(static_cast<int>(i));
            break;
        }
    }
}

int CVelquorView::FindStatement(const std::string& text, int direction) {
    m_strFindText = text;
    m_nFindDirection = direction;
    const int selected = SelectedRow();
    const auto count = static_cast<int>(m_analyzer.GetCount());
    m_nFindPos = selected == -1 && direction == 0 ? m_model.rowCount() : selected;
    const auto matches = [&](int row) {
        return m_analyzer.GetRecord(row).GetSql().find(text) != std::string_view::npos;
    };
    int found = -1;
    if (direction == 1) {
        for (int i = selected + 1; i < count && found < 0; ++i) {
            found = matches(i) ? i : -1;
        }
    } else {
        for (int i = std::min(m_nFindPos, count) - 1; i >= 0 && found < 0; --i) {
            found = matches(i) ? i : -1;
        }
    }
    if (found < 0) {
        return 0;
    }
    m_nFindPos = found;
    SelectRow(found);
    setFocus();
    return 1;
}

void CVelquorView::OnEditFind() {
    CFindStatementDlg dialog(*this, m_strFindText, m_nFindDirection, window());
    dialog.exec();
}

void CVelquorView::OnFindNext() {
    if (m_strFindText.empty()) {
        return;
    }
    if (FindStatement(m_strFindText, m_nFindDirection) == 0) {
        ShowMessage(QStringLiteral("Find"), QStringLiteral("no keyword find"));
    }
}

void CVelquorView::OnEditCopy() {
    m_host.DetailDlg().EditBox().copy();
}

void CVelquorView::OnSaveStatements() {
    const std::optional<CFileDialogs::SaveChoice> choice = CFileDialogs::ChooseSaveFile(window());
    if (!choice) {
        return;
    }
    const CStatementSaver::Target target =
        CStatementSaver::ResolveTarget(choice->path, choice->filter);
    const QString name = QFileInfo(target.path).fileName();
    if (m_nFindPos + 1 >= m_analyzer.GetCount()) {
        ShowMessage(QStringLiteral("Velquor"), QStringLiteral("No statement to save."));
        return;
    }
    // The dialog asked about the name as chosen; a name that got its extension now is asked
    // about here.
    if (target.path != choice->path && QFileInfo::exists(target.path) &&
        QMessageBox::question(this, QStringLiteral("Velquor"),
                              name +
                                  QStringLiteral(" already exists.\nDo you want to replace it?")) !=
            QMessageBox::Yes) {
        return;
    }
    QString error;
    if (!CStatementSaver::Save(m_analyzer, m_nFindPos + 1, target, error)) {
        ShowMessage(QStringLiteral("Velquor"),
                    QStringLiteral("Could not save ") + target.path + QStringLiteral(": ") + error);
    }
}
