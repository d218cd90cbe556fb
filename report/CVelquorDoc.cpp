#include "CVelquorDoc.h"

#include "CFileReadWorker.h"
#include "CRefreshWorker.h"
#include "DisplayText.h"

#include <QMetaObject>

#include <chrono>
#include <malloc.h>
#include <utility>

CVelquorDoc::CVelquorDoc(const COpenRequest& request, const CCommandTypeCatalog& catalog,
                         QWidget* messageParent)
    : m_strTitle(request.m_strTraceName),
      m_bLiveMode(request.m_mode == COpenRequest::Mode::LiveTrace),
      m_sources(m_bLiveMode ? std::vector<std::string>{request.m_strTraceFolder} : request.m_paths),
      m_bShowSys(request.m_bShowSys), m_notifier(*this, messageParent),
      m_analyzer(catalog, m_fileSystem, m_notifier), m_model(m_analyzer) {
    m_analyzer.SetShowSys(request.m_bShowSys ? 1 : 0);
    if (m_bLiveMode) {
        m_analyzer.SetPath(request.m_strTraceFolder);
        m_analyzer.SetTypeFlags(request.m_strCommandTypeFlags);
    } else {
        m_analyzer.SetFiles(request.m_paths);
    }
}

CVelquorDoc::~CVelquorDoc() {
    if (m_work.valid()) {
        m_work.wait();
    }
    // A worker waiting for a message box is released first.
    m_notifier.Release();
    m_readWorker.reset();
    m_refreshWorker.reset();
    // The records of a big trace were made on the reading threads, in memory the allocator
    // would keep for later: it goes back to the system when the window closes.
    m_analyzer.Clear();
    malloc_trim(0);
}

QString CVelquorDoc::TabTitle() const {
    const QString title = DecodeForDisplay(m_strTitle);
    return m_bLiveMode || m_bShowSys ? title : title % QStringLiteral(" [Hide Sys]");
}

QString CVelquorDoc::TabTip() const {
    QStringList lines;
    for (const std::string& source : m_sources) {
        lines << DecodeForDisplay(source);
    }
    return lines.join(u'\n');
}

void CVelquorDoc::Start() {
    if (m_bLiveMode) {
        m_bRunning = 1;
        StartRefreshThread();
    } else {
        m_bRunning = 0;
        StartFileRead();
    }
    emit CommandStateChanged();
}

// The read's problems are told in one box once its rows are listed, so the user sees what
// was kept behind it.
void CVelquorDoc::StartFileRead() {
    m_bDiscardRead = false;
    m_notifier.Hold();
    m_readWorker = std::make_unique<CFileReadWorker>(
        m_analyzer.Reader(), *this,
        [this](std::int64_t done, std::int64_t total) { emit ReadProgress(done, total); },
        [this](CReadBatch&& batch) {
            if (!m_bDiscardRead) {
                Apply(std::move(batch));
            }
        },
        [this](CReadBatch&& batch) { OnFileReadDone(std::move(batch)); });
    m_readWorker->Start();
}

void CVelquorDoc::StartRefreshThread() {
    m_refreshWorker = std::make_unique<CRefreshWorker>(
        m_analyzer.Reader(), m_bRunning, *this,
        [this](CReadBatch&& batch) { OnLiveBatch(std::move(batch)); });
    m_refreshWorker->StartRefreshThread();
}

void CVelquorDoc::OnFileReadDone(CReadBatch&& batch) {
    m_readWorker.reset(); // the thread has finished: this call was its last act
    const bool partial = batch.cancelled && !m_bDiscardRead;
    if (!m_bDiscardRead) {
        ApplyHeldBatches();
        m_model.Apply(std::move(batch));
    }
    const std::int64_t listed = m_analyzer.GetCount();
    m_notifier.ShowHeld(QStringLiteral("The window lists the ") % QString::number(listed) %
                        (listed == 1 ? QStringLiteral(" statement that could be read.")
                                     : QStringLiteral(" statements that could be read.")));
    emit CommandStateChanged();
    emit AnalysisChanged();
    emit ReadFinished(partial);
}

void CVelquorDoc::OnLiveBatch(CReadBatch&& batch) {
    if (batch.folderChange != CReadBatch::FolderChange::None) {
        const QString message = DecodeForDisplay(batch.folderMessage);
        m_strFolderProblem =
            batch.folderChange == CReadBatch::FolderChange::Missing ? message : QString();
        emit FolderStateChanged(message);
    }
    Apply(std::move(batch));
}

// A batch that comes while work reads the records is held until the work ends, so the window
// never waits for it.
void CVelquorDoc::Apply(CReadBatch&& batch) {
    if (IsWorking()) {
        m_heldBatches.push_back(std::move(batch));
        return;
    }
    ApplyHeldBatches();
    m_model.Apply(std::move(batch));
    emit AnalysisChanged();
}

// Applies the batches held while work read the records, in the order they came, once the
// work has ended.
void CVelquorDoc::ApplyHeldBatches() {
    WaitForWork();
    if (m_heldBatches.empty()) {
        return;
    }
    for (CReadBatch& held : std::exchange(m_heldBatches, {})) {
        m_model.Apply(std::move(held));
    }
    emit AnalysisChanged();
}

void CVelquorDoc::SetRunning(bool running) {
    m_bRunning = running ? 1 : 0;
    emit CommandStateChanged();
}

void CVelquorDoc::CancelRead() {
    if (m_readWorker) {
        m_readWorker->Cancel();
    }
}

void CVelquorDoc::Clear() {
    if (m_readWorker) {
        m_bDiscardRead = true; // the list stays empty for good
        m_readWorker->Cancel();
    }
    WaitForWork();
    m_heldBatches.clear();
    m_model.Clear();
    emit AnalysisChanged();
}

void CVelquorDoc::ReadAgain() {
    if (!CanReadAgain()) {
        return;
    }
    Clear();
    m_analyzer.Reader().ForgetFiles();
    StartFileRead();
    emit CommandStateChanged();
}

void CVelquorDoc::Sort(int column, int order) {
    ApplyHeldBatches();
    m_model.Sort(column, order);
}

void CVelquorDoc::WorkOnRecords(std::function<void()> work) {
    ApplyHeldBatches();
    const std::uint64_t serial = ++m_nWorkSerial;
    m_work = std::async(std::launch::async, [this, serial, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            TellWorkEnded(serial);
            throw;
        }
        TellWorkEnded(serial);
    });
}

bool CVelquorDoc::IsWorking() const {
    return m_work.valid() && m_work.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

// From the worker thread: however the work ended, the user interface thread says so and
// applies the batches held meanwhile. When later work started before this call came, this
// work was waited for then, and the held batches wait for the later work's end.
void CVelquorDoc::TellWorkEnded(std::uint64_t serial) {
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (serial != m_nWorkSerial) {
                emit WorkEnded();
                return;
            }
            WaitForWork();
            emit WorkEnded();
            ApplyHeldBatches();
        },
        Qt::QueuedConnection);
}

void CVelquorDoc::WaitForWork() {
    if (m_work.valid()) {
        m_work.get();
    }
}
