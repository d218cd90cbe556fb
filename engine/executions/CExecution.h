#pragma once

#include "CBindValue.h"
#include "CWallClock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The waits of one event within one execution.
struct CExecutionWait {
    std::string event;
    std::int64_t count = 0;
    std::int64_t max = 0;
    std::int64_t total = 0;

    bool operator==(const CExecutionWait&) const = default;
};

// One execution of a statement: an EXEC line of its cursor and the FETCH lines up to the
// cursor's next EXEC or PARSE. Times in microseconds as the trace writes them: start is the
// EXEC's tim less its e, end the last call's tim; elapsed, cpu and the block counts are the
// sums of its calls'; the misses and the plan hash value are the EXEC's. Its waits are those
// of its cursor written before its calls that end within [start, end]; its bind sets are the
// "BINDS" sections of its cursor written since the cursor's previous EXEC, one per section.
// The wall clock of its start is worked out from the latest "*** " time stamp of its context,
// as the time line does, when the trace has one before it.
struct CExecution {
    std::int64_t number = 0; // 1 for a statement's first execution
    std::int64_t line = 0;   // the EXEC's line number in the file, from 1
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::optional<CWallClock> wall; // of start
    std::int64_t elapsed = 0;
    std::int64_t cpu = 0;
    std::int64_t disk = 0;
    std::int64_t query = 0;
    std::int64_t current = 0;
    std::int64_t rows = 0;
    std::int64_t fetches = 0;
    std::int64_t misses = 0;
    std::int64_t plh = 0;
    std::vector<CExecutionWait> waits; // in the order the events first came
    std::vector<CBindSet> binds;

    std::int64_t WaitTime() const {
        std::int64_t total = 0;
        for (const CExecutionWait& wait : waits) {
            total += wait.total;
        }
        return total;
    }

    bool operator==(const CExecution&) const = default;
};
