#pragma once

#include <cstdint>

// Progress of a file-mode read, called from the reading thread.
class IReadProgress {
public:
    virtual ~IReadProgress() = default;
    // Bytes read so far of the total; answering false cancels the read.
    virtual bool OnProgress(std::int64_t done, std::int64_t total) = 0;
};
