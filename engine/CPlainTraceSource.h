#pragma once

#include "CTraceSource.h"

// The bytes of a file as they are, read through the file system interface.
class CPlainTraceSource final : public CTraceSource {
public:
    CPlainTraceSource(ITraceFileSystem& fileSystem, std::string path, std::int64_t from);

    bool Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& error) override;
    bool IsPlain() const override { return true; }
    std::int64_t FileBytesRead() const override { return m_nOffset - m_nFrom; }
    std::int64_t Offset() const { return m_nOffset; }

private:
    ITraceFileSystem& m_fileSystem;
    std::string m_strPath;
    std::int64_t m_nFrom;
    std::int64_t m_nOffset;
};
