#pragma once

#include "CRecordDelta.h"
#include "CStatementRecord.h"

#include <deque>
#include <string>
#include <vector>

// The outcome of one read: records to append, in order, and what later lines added to
// records appended earlier, each naming its record by serial. Appended records sit in a
// deque, which grows without moving what it holds, so a big read never needs room for its
// records twice.
struct CReadBatch {
    // Live mode: whether the trace folder could be listed changed with this read.
    enum class FolderChange { None, Missing, Back };

    std::deque<CStatementRecord> appended;
    std::vector<CRecordDelta> updated;
    bool cancelled = false;
    FolderChange folderChange = FolderChange::None;
    std::string folderMessage; // what to tell the user about the change
};
