#pragma once

#include "ITraceFileSystem.h"

// The trace reader's file-system calls on Linux: statx for status and identity, readdir for
// the folder scan and pread for reads, so a file being written or truncated meanwhile is safe.
// Only regular files are read: anything else fails to open with "not a regular file".
class CPosixFileSystem final : public ITraceFileSystem {
public:
    bool GetStatus(const std::string& path, CFileStatus& status, std::string& error) override;
    std::string CanonicalPath(const std::string& path) override;
    bool ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                        std::string& error) override;
    ReadResult ReadAt(const std::string& path, std::int64_t offset, std::int64_t size, char* buffer,
                      std::string& error) override;
    ReadResult ReadSome(const std::string& path, std::int64_t offset, std::int64_t size,
                        char* buffer, std::int64_t& got, std::string& error) override;
    // The file open on a descriptor kept until it is dropped.
    std::unique_ptr<ITraceFile> Open(const std::string& path, std::string& error) override;
};
