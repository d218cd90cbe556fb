#pragma once

#include "CCursorFigures.h"
#include "CCursorTracker.h"
#include "CReadFingerprint.h"
#include "CTraceProfile.h"
#include "ITraceFileSystem.h"

#include <cstdint>
#include <optional>

// What the reader remembers of one trace file between reads.
struct CTraceFileState {
    CFileIdentity identity;        // notices a replaced file
    std::int64_t modifiedNs = 0;   // notices a changed file
    std::int64_t readPosition = 0; // first byte not yet read
    // Where reading ends: the size, or in file mode the read position after a failed read.
    std::int64_t size = 0;
    std::int64_t statusSize = 0; // the size at the last status update
    // Live mode: the file's cursor bindings and open block, from its first byte read on.
    std::optional<CCursorTracker> tracker;
    // Live mode: the bytes before the read position, to notice a file written again.
    CReadFingerprint fingerprint;
    // Live mode: the file changed since its last read, or that read failed.
    bool unread = false;
    // Live mode: a failed read was reported and no read has succeeded since.
    bool failing = false;
    // Live mode: the folder scan that last listed the file.
    std::uint64_t listedIn = 0;
    // File mode: the figures of cursors bound to no statement of the file.
    CCursorFigures unattributed;
    // The profile of the bytes read, from the first byte read on.
    CTraceProfile profile;
};
