#pragma once

#include "CTraceSource.h"

// The bytes of a file as they are, read through the file system interface. `head` holds the
// bytes at `from` already read, `ended` whether they reached the file's end; a read that gets
// fewer bytes than it asked for has met the end, so a small file costs one read.
class CPlainTraceSource final : public CTraceSource {
public:
    CPlainTraceSource(ITraceFileSystem& fileSystem, std::string path, std::int64_t from,
                      std::string head, bool ended);

    bool Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& error) override;
    bool IsPlain() const override { return true; }
    std::int64_t FileBytesRead() const override { return m_nOffset - m_nFrom; }

private:
    ITraceFileSystem& m_fileSystem;
    std::string m_strPath;
    std::int64_t m_nFrom;
    std::int64_t m_nOffset; // the first byte not handed out yet
    std::string m_strHead;
    std::size_t m_nHeadUsed = 0;
    bool m_bEnded = false;
};
