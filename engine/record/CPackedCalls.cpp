#include "CPackedCalls.h"

#include "PackedSum.h"

#include <algorithm>
#include <cstddef>

// A figure beyond 32 bits, or a sum that leaves them, is left to the full figures, which sum
// it as they always do.
bool CPackedCalls::Add(ECallKind kind, const CCallFigures& call) {
    const std::size_t first = kind == ECallKind::Parse  ? 0
                              : kind == ECallKind::Exec ? kExec
                                                        : kFetch;
    const std::int32_t* v = m_values.data() + first;
    std::array<std::int32_t, 8> sums{};
    bool fits = AddIn32Bits(v[0], call.count, sums[0]) & AddIn32Bits(v[1], call.cpu, sums[1]) &
                AddIn32Bits(v[2], call.elapsed, sums[2]) & AddIn32Bits(v[3], call.disk, sums[3]) &
                AddIn32Bits(v[4], call.query, sums[4]) & AddIn32Bits(v[5], call.current, sums[5]);
    switch (kind) {
    case ECallKind::Parse:
        fits = fits && call.rows == 0 && AddIn32Bits(v[6], call.misses, sums[6]);
        break;
    case ECallKind::Exec:
        fits = fits && AddIn32Bits(v[6], call.misses, sums[6]) &&
               AddIn32Bits(v[7], call.rows, sums[7]);
        break;
    default:
        fits = fits && call.misses == 0 && AddIn32Bits(v[6], call.rows, sums[6]);
        break;
    }
    if (!fits) {
        return false;
    }
    const auto at = m_values.begin() + static_cast<std::ptrdiff_t>(first);
    std::copy_n(sums.begin(), 7, at);
    if (kind == ECallKind::Exec) {
        at[7] = sums[7];
    }
    return true;
}
