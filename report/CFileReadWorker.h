#pragma once

#include "IReadProgress.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class CTraceReader;
class QObject;
struct CReadBatch;

// Reads a file-mode window's trace files on a thread of its own. Progress and the finished
// batch reach the user interface thread as queued calls on `context`; the worker never
// touches the analyser's records. Cancel (or destruction, which waits for the thread) makes
// the read stop at its next progress report. A read that throws is reported through the
// reader's notifier and ends as a cancelled one.
class CFileReadWorker final : public IReadProgress {
public:
    using ProgressHandler = std::function<void(std::int64_t done, std::int64_t total)>;
    using BatchHandler = std::function<void(CReadBatch&& batch)>;

    // `onBatch` gets the records handed over while the files are read, `onDone` the last
    // batch.
    CFileReadWorker(CTraceReader& reader, QObject& context, ProgressHandler onProgress,
                    BatchHandler onBatch, BatchHandler onDone);
    ~CFileReadWorker() override;
    CFileReadWorker(const CFileReadWorker&) = delete;
    CFileReadWorker& operator=(const CFileReadWorker&) = delete;

    void Start();
    void Cancel() { m_bCancel = true; }

    // Worker thread: posts the progress when it moved by a thousandth or more.
    bool OnProgress(std::int64_t done, std::int64_t total) override;

private:
    void Run();

    CTraceReader& m_reader;
    QObject& m_context;
    ProgressHandler m_onProgress;
    BatchHandler m_onBatch;
    BatchHandler m_onDone;
    std::atomic<bool> m_bCancel = false;
    std::int64_t m_nLastPermille = -1; // worker thread only
    std::thread m_thread;
};
