#pragma once

#include <cstdint>

// The waits of one event for one statement: how often, the longest and the sum of their
// times, in microseconds as the trace writes them. The event is a number of CEventNames.
struct CWaitFigures {
    std::uint32_t event = 0;
    std::int64_t count = 0;
    std::int64_t max = 0;
    std::int64_t total = 0;

    bool operator==(const CWaitFigures&) const = default;
};
