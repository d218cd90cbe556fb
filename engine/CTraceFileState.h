#pragma once

#include "CBlockSplitter.h"
#include "ITraceFileSystem.h"

#include <cstdint>

// What the reader remembers of one trace file between reads.
struct CTraceFileState {
    CFileIdentity identity;        // notices a replaced file
    std::int64_t modifiedNs = 0;   // notices a changed file
    std::int64_t readPosition = 0; // first byte not yet read
    std::int64_t size = 0; // where reading ends: the size, or the read position after a failed read
    std::int64_t statusSize = 0; // the size at the last status update
    // Live mode: the block after the file's last separator, with the record made of it.
    CBlockSplitter splitter;
    std::uint64_t openSerial = 0; // 0: no record was made of the open block
};
