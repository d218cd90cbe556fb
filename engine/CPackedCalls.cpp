#include "CPackedCalls.h"

#include <algorithm>
#include <cstddef>

namespace {

// Sets `sum` to `value` plus `figure`; false when the figure or the sum leaves 32 bits.
bool Sum(std::int32_t value, std::int64_t figure, std::int32_t& sum) {
    const auto narrow = static_cast<std::int32_t>(figure);
    return narrow == figure && !__builtin_add_overflow(value, narrow, &sum);
}

} // namespace

// A figure beyond 32 bits, or a sum that leaves them, is left to the full figures, which sum
// it as they always do.
bool CPackedCalls::Add(ECallKind kind, const CCallFigures& call) {
    const std::size_t first = kind == ECallKind::Parse  ? 0
                              : kind == ECallKind::Exec ? kExec
                                                        : kFetch;
    const std::int32_t* v = m_values.data() + first;
    std::array<std::int32_t, 8> sums{};
    bool fits = Sum(v[0], call.count, sums[0]) & Sum(v[1], call.cpu, sums[1]) &
                Sum(v[2], call.elapsed, sums[2]) & Sum(v[3], call.disk, sums[3]) &
                Sum(v[4], call.query, sums[4]) & Sum(v[5], call.current, sums[5]);
    switch (kind) {
    case ECallKind::Parse:
        fits = fits && call.rows == 0 && Sum(v[6], call.misses, sums[6]);
        break;
    case ECallKind::Exec:
        fits = fits && Sum(v[6], call.misses, sums[6]) && Sum(v[7], call.rows, sums[7]);
        break;
    default:
        fits = fits && call.misses == 0 && Sum(v[6], call.rows, sums[6]);
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
