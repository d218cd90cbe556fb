#include "CVelquorView.h"

#include "CDetailPaneDlg.h"
#include "CFileReadWorker.h"
#include "COpenRequest.h"
#include "CRefreshWorker.h"
#include "CVelquorDoc.h"
#include "CWindowTabList.h"
#include "DisplayText.h"
#include "IViewHost.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <charconv>

namespace {

constexpr int kProgressRange = 1000;
constexpr int kStatusMessageMs = 5000;

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
    m_progressBar->setMaximumWidth(300);
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
