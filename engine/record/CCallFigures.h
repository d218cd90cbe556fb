#pragma once

#include "Saturating.h"

#include <cstdint>

enum class ECallKind { Parse, Exec, Fetch };

// The figures of one call kind (parse, execute or fetch) or of their totals, summed over
// the call lines of one statement. Parse has no rows and fetch no misses: those stay 0.
struct CCallFigures {
    std::int64_t count = 0;
    std::int64_t cpu = 0;
    std::int64_t elapsed = 0;
    std::int64_t disk = 0;
    std::int64_t query = 0;
    std::int64_t current = 0;
    std::int64_t misses = 0;
    std::int64_t rows = 0;

    void Add(const CCallFigures& other) {
        count = SaturatingAdd(count, other.count);
        cpu = SaturatingAdd(cpu, other.cpu);
        elapsed = SaturatingAdd(elapsed, other.elapsed);
        disk = SaturatingAdd(disk, other.disk);
        query = SaturatingAdd(query, other.query);
        current = SaturatingAdd(current, other.current);
        misses = SaturatingAdd(misses, other.misses);
        rows = SaturatingAdd(rows, other.rows);
    }

    bool operator==(const CCallFigures&) const = default;
};
