#pragma once

#include "CStatementRecord.h"

#include <deque>
#include <vector>

// The outcome of one read: records to append, in order, and new versions of records
// appended earlier (a live trace's open block that grew), each naming its record by serial.
// Appended records sit in a deque, which grows without moving what it holds, so a big read
// never needs room for its records twice.
struct CReadBatch {
    std::deque<CStatementRecord> appended;
    std::vector<CStatementRecord> updated;
    bool cancelled = false;
};
