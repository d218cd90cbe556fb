#pragma once

#include "CStatementRecord.h"

#include <vector>

// The outcome of one read: records to append, in order, and new versions of records
// appended earlier (a live trace's open block that grew), each naming its record by serial.
struct CReadBatch {
    std::vector<CStatementRecord> appended;
    std::vector<CStatementRecord> updated;
    bool cancelled = false;
};
