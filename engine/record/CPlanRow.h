#pragma once

#include <cstdint>

// One row source operation of a statement's plan, as a "STAT #c id=..." line gives it. The
// operation's text is not held here: it lies at `textOffset` in the trace file, or in the
// figures' own copy of plan texts when the trace's bytes cannot be read again.
struct CPlanRow {
    std::int64_t id = 0;
    std::int64_t parentId = 0;
    std::int64_t rows = 0;
    std::uint64_t textOffset = 0;
    std::uint32_t textLength = 0;

    bool operator==(const CPlanRow&) const = default;
};
