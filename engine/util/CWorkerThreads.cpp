#include "CWorkerThreads.h"

#include <utility>

CWorkerThreads::~CWorkerThreads() {
    {
        const std::lock_guard lock(m_mutex);
        m_bStopping = true;
        m_tasks.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void CWorkerThreads::Run(std::function<void()> task) {
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    if (m_threads.empty()) {
        for (std::size_t i = 0; i < m_nCount; ++i) {
            m_threads.emplace_back([this] { Work(); });
        }
    }
    m_wake.notify_one();
}

void CWorkerThreads::Work() {
    while (true) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bStopping || !m_tasks.empty(); });
            if (m_bStopping) {
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
