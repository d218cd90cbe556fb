#pragma once

#include "CRecordChunks.h"
#include "CRecordDelta.h"
#include "CTraceProfile.h"

#include <string>
#include <vector>

// The profile of the bytes of one file that a read analysed.
struct CFileProfile {
    std::string path;
    CTraceProfile profile;
};

// The outcome of one read: records to append, in order, and what later lines added to
// records appended earlier, each naming its record by serial. The profiles of the new bytes
// of each file read come with them, to be joined to those of the bytes read before.
struct CReadBatch {
    // Live mode: whether the trace folder could be listed changed with this read.
    enum class FolderChange { None, Missing, Back };

    CRecordChunks appended;
    std::vector<CRecordDelta> updated;
    std::vector<CFileProfile> profiles;
    bool cancelled = false;
    FolderChange folderChange = FolderChange::None;
    std::string folderMessage; // what to tell the user about the change
};
