#include "CPiecePool.h"

#include <utility>

CPieceBuffer CPiecePool::Take() {
    std::unique_lock lock(m_mutex);
    m_given.wait(lock, [this] { return m_nOut < m_nLimit; });
    ++m_nOut;
    if (m_spare.empty()) {
        return {};
    }
    CPieceBuffer buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void CPiecePool::Give(CPieceBuffer buffer) {
    {
        const std::lock_guard lock(m_mutex);
        m_spare.push_back(std::move(buffer));
        --m_nOut;
    }
    m_given.notify_one();
}
