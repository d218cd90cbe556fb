#include "CVelquorDoc.h"

#include "CFileReadWorker.h"
#include "CRefreshWorker.h"
#include "DisplayText.h"

#include <malloc.h>

CVelquorDoc::CVelquorDoc(const COpenRequest& request, const CCommandTypeCatalog& catalog,
                         QWidget* messageParent)
    : m_strTitle(request.m_strTraceName),
      m_bLiveMode(request.m_mode == COpenRequest::Mode::LiveTrace),
      m_notifier(*this, messageParent), m_analyzer(catalog, m_fileSystem, m_notifier),
      m_model(m_analyzer) {
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

void CVelquorDoc::StartFileRead() {
    m_bDiscardRead = false;
    m_readWorker = std::make_unique<CFileReadWorker>(
        m_analyzer.Reader(), *this,
        [this](std::int64_t done, std::int64_t total) { emit ReadProgress(done, total); },
        [this](CReadBatch&& batch) {
            if (!m_bDiscardRead) {
                WaitForWork();
                m_model.Apply(std::move(batch));
                emit AnalysisChanged();
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
        WaitForWork();
        m_model.Apply(std::move(batch));
    }
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
    WaitForWork();
    m_model.Apply(std::move(batch));
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
    m_model.Clear();
    emit AnalysisChanged();
}

void CVelquorDoc::Sort(int column, int order) {
    WaitForWork();
    m_model.Sort(column, order);
}

void CVelquorDoc::WorkOnRecords(std::function<void()> work) {
    WaitForWork();
    m_work = std::async(std::launch::async, std::move(work));
}

void CVelquorDoc::WaitForWork() {
    if (m_work.valid()) {
        m_work.get();
    }
}
