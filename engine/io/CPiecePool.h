#pragma once

#include "CPieceBuffer.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

// The buffers of the pieces of a file being read and analysed: at most `limit` at a time.
// An analysis gives its buffer back the moment it ends, so the reader goes on with the next
// piece as soon as any analysis is done, not only the oldest; the pieces done are joined in
// file order later, and hold only their records meanwhile.
class CPiecePool {
public:
    explicit CPiecePool(std::size_t limit) : m_nLimit(limit) {}

    // A buffer, once fewer than `limit` are out; empty or reused.
    CPieceBuffer Take();
    void Give(CPieceBuffer buffer);

private:
    std::mutex m_mutex;
    std::condition_variable m_given;
    std::vector<CPieceBuffer> m_spare;
    std::size_t m_nOut = 0;
    std::size_t m_nLimit;
};
