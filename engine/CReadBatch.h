#pragma once

#include "CRecordChunks.h"
#include "CRecordDelta.h"

#include <string>
#include <vector>

// The outcome of one read: records to append, in order, and what later lines added to
// records appended earlier, each naming its record by serial.
struct CReadBatch {
    // Live mode: whether the trace folder could be listed changed with this read.
    enum class FolderChange { None, Missing, Back };

    CRecordChunks appended;
    std::vector<CRecordDelta> updated;
    bool cancelled = false;
    FolderChange folderChange = FolderChange::None;
    std::string folderMessage; // what to tell the user about the change
};
