#pragma once

#include "CCallFigures.h"
#include "CErrorCount.h"
#include "CExecutionHistogram.h"
#include "CSelfFigures.h"
#include "CWaitFigures.h"

#include <cstdint>
#include <string>
#include <vector>

class CStatementRecord;

// The statements of one SQL: those with the same "sqlid=", else the same "hv=", else the
// same SQL text. Figures summed over the statements; times in microseconds.
struct CSqlGroupRow {
    std::string sqlId;             // the statements' "sqlid=", or empty
    std::int64_t hashValue = 0;    // their "hv=", or 0
    std::string sql;               // the first statement's SQL text
    std::uint64_t firstSerial = 0; // the statement read first
    std::int64_t statements = 0;
    std::int64_t executions = 0; // EXEC lines
    CCallFigures parse;          // as written, with the recursive calls
    CCallFigures exec;
    CCallFigures fetch;
    CCallFigures total;
    CSelfCalls self;                 // without the recursive calls
    std::vector<CWaitFigures> waits; // by total time, largest first
    std::vector<CErrorCount> errors;
    // The elapsed time of each execution (an EXEC line and the FETCH lines of its cursor up
    // to the next EXEC or PARSE): how many, least, median, 95th percentile and greatest. The
    // median and the percentile are within 1.6 % of the true times (see CExecutionHistogram).
    CExecutionHistogram executionTimes;

    bool operator==(const CSqlGroupRow&) const = default;
};

// Groups statements by SQL.
class CSqlGroups {
public:
    // The groups of `records`, taken in order, sorted by self elapsed time, largest first
    // (ties in the order the groups first came). Idle waits are left out when asked.
    static std::vector<CSqlGroupRow> Make(const std::vector<const CStatementRecord*>& records,
                                          bool excludeIdle);
};
