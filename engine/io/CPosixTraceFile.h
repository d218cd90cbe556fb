#pragma once

#include "ITraceFile.h"

#include <string>

struct statx;

// A regular file open to read on Linux, closed with the object. Reads use pread, so a file
// being written or truncated meanwhile is safe.
class CPosixTraceFile final : public ITraceFile {
public:
    explicit CPosixTraceFile(std::string path) : m_strPath(std::move(path)) {}
    CPosixTraceFile(const CPosixTraceFile&) = delete;
    CPosixTraceFile& operator=(const CPosixTraceFile&) = delete;
    ~CPosixTraceFile() override;

    // Opens the path; false with `error` naming the file and the reason.
    bool Open(std::string& error);
    bool GetStatus(CFileStatus& status, std::string& error) override;
    ITraceFileSystem::ReadResult ReadAt(std::int64_t offset, std::int64_t size, char* buffer,
                                        std::string& error) override;
    // Reads up to `size` bytes at `offset`, as ITraceFileSystem::ReadSome does.
    ITraceFileSystem::ReadResult ReadSome(std::int64_t offset, std::int64_t size, char* buffer,
                                          std::int64_t& got, std::string& error);

    // Opens a regular file to read and returns its descriptor; -1 with the reason otherwise.
    // The type is checked before the open, which would wait for a writer on a FIFO and may
    // act on a device, and again after it, should the file have been swapped meanwhile; the
    // open itself never waits.
    static int OpenRegularFile(const std::string& path, std::string& reason);
    // A file's status as statx gives it.
    static CFileStatus StatusOf(const struct statx& info);

private:
    std::string m_strPath;
    int m_fd = -1;
};
