#include "CPlainTraceSource.h"

#include "ITraceFileSystem.h"

CPlainTraceSource::CPlainTraceSource(ITraceFileSystem& fileSystem, std::string path,
                                     std::int64_t from)
    : m_fileSystem(fileSystem), m_strPath(std::move(path)), m_nFrom(from), m_nOffset(from) {}

bool CPlainTraceSource::Read(char* buffer, std::size_t capacity, std::size_t& got,
                             std::string& error) {
    std::int64_t read = 0;
    const auto result = m_fileSystem.ReadSome(
        m_strPath, m_nOffset, static_cast<std::int64_t>(capacity), buffer, read, error);
    if (result != ITraceFileSystem::ReadResult::Done) {
        return false;
    }
    got = static_cast<std::size_t>(read);
    m_nOffset += read;
    return true;
}
