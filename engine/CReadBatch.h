#pragma once

#include "CRecordDelta.h"
#include "CStatementRecord.h"

#include <deque>
#include <vector>

// The outcome of one read: records to append, in order, and what later lines added to
// records appended earlier, each naming its record by serial. Appended records sit in a
// deque, which grows without moving what it holds, so a big read never needs room for its
// records twice.
struct CReadBatch {
    std::deque<CStatementRecord> appended;
    std::vector<CRecordDelta> updated;
    bool cancelled = false;
};
