#pragma once

#include <cstdint>

// The figures of one call kind (parse, execute or fetch) or of their totals, summed over
// the call lines of one statement block. Parse has no rows and fetch no misses: those stay 0.
struct CCallFigures {
    std::int64_t count = 0;
    std::int64_t cpu = 0;
    std::int64_t elapsed = 0;
    std::int64_t disk = 0;
    std::int64_t query = 0;
    std::int64_t current = 0;
    std::int64_t misses = 0;
    std::int64_t rows = 0;

    bool operator==(const CCallFigures&) const = default;
};
