#pragma once

#include "CCallFigures.h"
#include "CSelfFigures.h"
#include "CWaitFigures.h"

#include <array>
#include <cstdint>
#include <vector>

// The calls and waits of a trace at one kind of depth (the statements the client sent, or
// the recursive ones): counts, misses and rows as written, time and buffers without the
// recursive calls, each wait counted for the depth of the statement its cursor is bound to
// (cursor #0 and cursors of no statement count at depth 0).
struct CDepthTotals {
    std::array<CCallFigures, 3> calls; // parse, execute, fetch
    std::array<CSelfFigures, 3> self;
    std::vector<CWaitFigures> waits; // in the order events first came

    void AddWait(std::uint32_t event, std::int64_t count, std::int64_t max, std::int64_t total);
    void Merge(const CDepthTotals& later);

    bool operator==(const CDepthTotals&) const = default;
};
