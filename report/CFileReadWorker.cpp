#include "CFileReadWorker.h"

#include "CReadBatch.h"
#include "CTraceReader.h"

#include <QObject>

#include <memory>

CFileReadWorker::CFileReadWorker(CTraceReader& reader, QObject& context, ProgressHandler onProgress,
                                 BatchHandler onBatch, BatchHandler onDone)
    : m_reader(reader), m_context(context), m_onProgress(std::move(onProgress)),
      m_onBatch(std::move(onBatch)), m_onDone(std::move(onDone)) {}

CFileReadWorker::~CFileReadWorker() {
    Cancel();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CFileReadWorker::Start() {
    m_thread = std::thread([this] { Run(); });
}

void CFileReadWorker::Run() {
    // Records are listed while the rest is read: each batch is posted as it is handed over.
    const auto post = [this](CReadBatch&& handedOver) {
        auto shared = std::make_shared<CReadBatch>(std::move(handedOver));
        QMetaObject::invokeMethod(
            &m_context, [handler = m_onBatch, shared] { handler(std::move(*shared)); },
            Qt::QueuedConnection);
    };
    auto batch = std::make_shared<CReadBatch>();
    try {
        *batch = m_reader.ReadFileList(this, post);
    } catch (...) {
        m_reader.ReportFailedRead();
        batch->cancelled = true;
    }
    if (m_bCancel) {
        batch->cancelled = true;
    }
    // Posted to the context: if the window is gone by then, the call is dropped with it.
    QMetaObject::invokeMethod(
        &m_context, [handler = m_onDone, batch] { handler(std::move(*batch)); },
        Qt::QueuedConnection);
}

bool CFileReadWorker::OnProgress(std::int64_t done, std::int64_t total) {
    if (m_bCancel) {
        return false;
    }
    const std::int64_t permille = total > 0 ? done * 1000 / total : 1000;
    if (permille != m_nLastPermille) {
        m_nLastPermille = permille;
        QMetaObject::invokeMethod(
            &m_context, [handler = m_onProgress, done, total] { handler(done, total); },
            Qt::QueuedConnection);
    }
    return !m_bCancel;
}
