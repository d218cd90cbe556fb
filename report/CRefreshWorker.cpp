#include "CRefreshWorker.h"

#include "CReadBatch.h"
#include "CTraceReader.h"

#include <QObject>

#include <memory>

CRefreshWorker::CRefreshWorker(CTraceReader& reader, const std::atomic<int>& running,
                               QObject& context, BatchHandler onBatch)
    : m_reader(reader), m_bRunning(running), m_context(context), m_onBatch(std::move(onBatch)) {}

CRefreshWorker::~CRefreshWorker() {
    Stop();
}

void CRefreshWorker::StartRefreshThread() {
    m_hRefreshThread = std::thread([this] { RefreshThreadProc(); });
}

void CRefreshWorker::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_hRefreshThread.joinable()) {
        m_hRefreshThread.join();
    }
}

void CRefreshWorker::RefreshThreadProc() {
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, s_period.load(), [this] { return m_bStop; })) {
                return;
            }
        }
        if (m_bRunning.load() != 1) {
            continue;
        }
        CReadBatch read;
        try {
            read = m_reader.ReadFolder();
        } catch (...) {
            m_reader.ReportFailedRead(); // and the next period reads again
            continue;
        }
        // A read of lines that add to no statement (idle waits, commits) still adds to the
        // files' profiles.
        if (read.appended.IsEmpty() && read.updated.empty() && read.profiles.empty() &&
            read.folderChange == CReadBatch::FolderChange::None) {
            continue;
        }
        auto batch = std::make_shared<CReadBatch>(std::move(read));
        QMetaObject::invokeMethod(
            &m_context, [handler = m_onBatch, batch] { handler(std::move(*batch)); },
            Qt::QueuedConnection);
    }
}
