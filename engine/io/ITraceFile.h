#pragma once

#include "ITraceFileSystem.h"

#include <cstdint>
#include <string>

// A trace file kept open for several reads of its texts, so each read costs no lookup of its
// path. Its status is the open file's: a file put in its place later is not this one.
class ITraceFile {
public:
    virtual ~ITraceFile() = default;
    // The status of the open file; false with the reason in `error`.
    virtual bool GetStatus(CFileStatus& status, std::string& error) = 0;
    // Reads `size` bytes at `offset` into `buffer`, as ITraceFileSystem::ReadAt does.
    virtual ITraceFileSystem::ReadResult ReadAt(std::int64_t offset, std::int64_t size,
                                                char* buffer, std::string& error) = 0;
};
