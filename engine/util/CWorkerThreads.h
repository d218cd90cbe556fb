#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads that run the tasks given to them, oldest first. They start with the first
// task, so work that never needs them costs no thread, and they stay for the next tasks: a
// thread made for each piece of a big file costs its start and its cold caches each time.
// The destructor drops the tasks not started and waits for those running.
class CWorkerThreads {
public:
    explicit CWorkerThreads(std::size_t count) : m_nCount(count) {}
    CWorkerThreads(const CWorkerThreads&) = delete;
    CWorkerThreads& operator=(const CWorkerThreads&) = delete;
    ~CWorkerThreads();

    void Run(std::function<void()> task);

private:
    void Work();

    std::size_t m_nCount;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_bStopping = false;
    std::vector<std::thread> m_threads;
};
