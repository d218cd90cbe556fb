#pragma once

#include <cstdint>
#include <string>

// The waits of one event for one statement: how often, the longest and the sum of their
// times, in microseconds as the trace writes them.
struct CWaitFigures {
    std::string name;
    std::int64_t count = 0;
    std::int64_t max = 0;
    std::int64_t total = 0;

    bool operator==(const CWaitFigures&) const = default;
};
