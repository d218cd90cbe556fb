#pragma once

#include "CCallFigures.h"

#include <array>
#include <cstdint>

// The figures of a statement's parse, execute and fetch calls in 32 bits each: the sums of
// almost every statement fit there, in little more than a third of the room of 64-bit sums.
// Parse has no room for rows and fetch none for misses. A call whose sums would leave the
// 32-bit range, or give parse rows or fetch misses, does not fit: its holder keeps all the
// figures in 64 bits instead.
class CPackedCalls {
public:
    CCallFigures Of(ECallKind kind) const;
    // Adds `call` to the figures of `kind` and answers true when every sum fits; otherwise
    // changes nothing and answers false.
    bool Add(ECallKind kind, const CCallFigures& call);

    bool operator==(const CPackedCalls&) const = default;

private:
    std::array<std::int32_t, 22> m_values{};
};
