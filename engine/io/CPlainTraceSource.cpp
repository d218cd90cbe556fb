#include "CPlainTraceSource.h"

#include "ITraceFileSystem.h"

#include <algorithm>

CPlainTraceSource::CPlainTraceSource(ITraceFileSystem& fileSystem, std::string path,
                                     std::int64_t from, std::string head, bool ended)
    : m_fileSystem(fileSystem), m_strPath(std::move(path)), m_nFrom(from), m_nOffset(from),
      m_strHead(std::move(head)), m_bEnded(ended) {}

bool CPlainTraceSource::Read(char* buffer, std::size_t capacity, std::size_t& got,
                             std::string& error) {
    got = std::min(capacity, m_strHead.size() - m_nHeadUsed);
    std::copy_n(m_strHead.data() + m_nHeadUsed, got, buffer);
    m_nHeadUsed += got;
    if (m_nHeadUsed == m_strHead.size() && !m_strHead.empty()) {
        m_strHead = {};
        m_nHeadUsed = 0;
    }
    if (got < capacity && !m_bEnded) {
        std::int64_t read = 0;
        const auto wanted = static_cast<std::int64_t>(capacity - got);
        if (m_fileSystem.ReadSome(m_strPath, m_nOffset + static_cast<std::int64_t>(got), wanted,
                                  buffer + got, read,
                                  error) != ITraceFileSystem::ReadResult::Done) {
            return false;
        }
        m_bEnded = read < wanted;
        got += static_cast<std::size_t>(read);
    }
    m_nOffset += static_cast<std::int64_t>(got);
    return true;
}
