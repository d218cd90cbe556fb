#pragma once

#include "CCallFigures.h"
#include "CallFigureFields.h"
#include "Saturating.h"

#include <cstdint>

// The time and buffers of calls without those of the recursive calls they made: a call at
// depth d less the calls at depth d + 1 written since the previous call at depth d.
struct CSelfFigures {
    std::int64_t cpu = 0;
    std::int64_t elapsed = 0;
    std::int64_t disk = 0;
    std::int64_t query = 0;
    std::int64_t current = 0;

    static CSelfFigures Of(const CCallFigures& call) {
        CSelfFigures self;
        ForEachWorkFigure([&](auto figure) { figure(self) = figure(call); });
        return self;
    }
    void Add(const CSelfFigures& other) {
        ForEachWorkFigure(
            [&](auto figure) { figure(*this) = SaturatingAdd(figure(*this), figure(other)); });
    }
    void Subtract(const CSelfFigures& other) {
        ForEachWorkFigure(
            [&](auto figure) { figure(*this) = SaturatingSubtract(figure(*this), figure(other)); });
    }

    bool operator==(const CSelfFigures&) const = default;
};

// Self figures of a statement's parse, execute and fetch calls.
struct CSelfCalls {
    CSelfFigures parse;
    CSelfFigures exec;
    CSelfFigures fetch;

    CSelfFigures Total() const {
        CSelfFigures total = parse;
        total.Add(exec);
        total.Add(fetch);
        return total;
    }

    bool operator==(const CSelfCalls&) const = default;
};
