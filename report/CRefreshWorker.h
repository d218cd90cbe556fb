#pragma once

#include "LiveRefresh.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CTraceReader;
class QObject;
struct CReadBatch;

// The worker of a live window: wakes every period and, while the window's running flag is
// set, reads what is new in the trace folder and posts the batch (when it holds records,
// the profile of bytes read or a change of the folder's state) to the user interface thread (a
// queued call on `context`), which applies it. It never touches the analyser's records. A read that
// throws is reported through the reader's notifier and the worker goes on. Stop wakes it at once;
// it ends after a read in progress, never in its middle.
class CRefreshWorker {
public:
    using BatchHandler = std::function<void(CReadBatch&& batch)>;

    // Tests shorten the period; the program keeps kLiveRefreshPeriod.
    static void SetPeriod(std::chrono::milliseconds period) { s_period = period; }

    CRefreshWorker(CTraceReader& reader, const std::atomic<int>& running, QObject& context,
                   BatchHandler onBatch);
    ~CRefreshWorker();
    CRefreshWorker(const CRefreshWorker&) = delete;
    CRefreshWorker& operator=(const CRefreshWorker&) = delete;

    void StartRefreshThread();
    // Wakes the worker and waits until it has ended.
    void Stop();

private:
    void RefreshThreadProc();

    static inline std::atomic<std::chrono::milliseconds> s_period = kLiveRefreshPeriod;

    CTraceReader& m_reader;
    const std::atomic<int>& m_bRunning;
    QObject& m_context;
    BatchHandler m_onBatch;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    std::thread m_hRefreshThread;
};
