#pragma once

#include "CRecordDelta.h"
#include "CStatementRecord.h"
#include "CTraceProfile.h"

#include <deque>
#include <string>
#include <vector>

// The profile of the bytes of one file that a read analysed.
struct CFileProfile {
    std::string path;
    CTraceProfile profile;
};

// The outcome of one read: records to append, in order, and what later lines added to
// records appended earlier, each naming its record by serial. Appended records sit in a
// deque, which grows without moving what it holds, so a big read never needs room for its
// records twice. The profiles of the new bytes of each file read come with them, to be
// joined to those of the bytes read before.
struct CReadBatch {
    std::deque<CStatementRecord> appended;
    std::vector<CRecordDelta> updated;
    std::vector<CFileProfile> profiles;
    bool cancelled = false;
};
