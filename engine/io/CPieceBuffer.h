#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

// Bytes of one piece of a file read in file mode. Its memory is not cleared before a read
// fills it, and it is handed back after the analysis, so the next piece reuses it instead of
// touching fresh pages.
class CPieceBuffer {
public:
    std::size_t Size() const { return m_nSize; }
    std::string_view Text() const { return {m_data.get(), m_nSize}; }
    // Makes room for `extra` more bytes and answers where they go.
    char* Grow(std::size_t extra) {
        if (m_nSize + extra > m_nCapacity) {
            // A quarter more than asked: the start of a line carried over from the last piece
            // then fits beside the next piece's bytes, and no buffer is replaced while a file
            // is read. Freeing a block this big mid-read makes the allocator serve later big
            // blocks from its heaps, which kept up to 7 MiB more at the peak in some runs.
            const std::size_t capacity =
                std::max(m_nSize + extra + (m_nSize + extra) / 4, 2 * m_nCapacity);
            auto data = std::make_unique_for_overwrite<char[]>(capacity);
            std::copy_n(m_data.get(), m_nSize, data.get());
            m_data = std::move(data);
            m_nCapacity = capacity;
        }
        m_nSize += extra;
        return m_data.get() + m_nSize - extra;
    }
    void Resize(std::size_t size) { m_nSize = std::min(size, m_nSize); }
    void Assign(std::string_view bytes) {
        m_nSize = 0;
        std::copy(bytes.begin(), bytes.end(), Grow(bytes.size()));
    }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
};
