#pragma once

#include "CCallFigures.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The figures of a statement's parse, execute and fetch calls in 32 bits each: the sums of
// almost every statement fit there, in little more than a third of the room of 64-bit sums.
// Parse has no room for rows and fetch none for misses. A call with a figure or a sum beyond
// 32 bits, or with parse rows or fetch misses, does not fit: its holder keeps all the figures
// in 64 bits instead.
class CPackedCalls {
public:
    CCallFigures Of(ECallKind kind) const {
        const std::int32_t* v = m_values.data();
        switch (kind) {
        case ECallKind::Parse:
            return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], 0};
        case ECallKind::Exec:
            v += kExec;
            return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
        default:
            v += kFetch;
            return {v[0], v[1], v[2], v[3], v[4], v[5], 0, v[6]};
        }
    }
    // The three call kinds added up, with the rows of execute and fetch and no misses. Sums of
    // three 32-bit values cannot reach the ends of the 64-bit range, so none saturates.
    CCallFigures Total() const {
        const std::int32_t* v = m_values.data();
        CCallFigures total;
        for (const std::size_t first : {std::size_t{0}, kExec, kFetch}) {
            total.count += v[first];
            total.cpu += v[first + 1];
            total.elapsed += v[first + 2];
            total.disk += v[first + 3];
            total.query += v[first + 4];
            total.current += v[first + 5];
        }
        total.rows = std::int64_t{v[kExec + 7]} + v[kFetch + 6];
        return total;
    }
    // Adds `call` to the figures of `kind` and answers true when it fits; otherwise changes
    // nothing and answers false.
    bool Add(ECallKind kind, const CCallFigures& call);

    bool operator==(const CPackedCalls&) const = default;

private:
    // Where the figures of execute and fetch begin in the values, after the seven of parse and
    // the eight of execute.
    static constexpr std::size_t kExec = 7;
    static constexpr std::size_t kFetch = 15;

    std::array<std::int32_t, 22> m_values{};
};
