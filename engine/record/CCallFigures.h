#pragma once

#include "CallFigureFields.h"
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
        ForEachCallFigure(
            [&](auto figure) { figure(*this) = SaturatingAdd(figure(*this), figure(other)); });
    }

    bool operator==(const CCallFigures&) const = default;
};
