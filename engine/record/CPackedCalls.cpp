#include "CPackedCalls.h"

#include "PackedSum.h"

#include <algorithm>
#include <cstddef>

bool CPackedCalls::Add(ECallKind kind, const CCallFigures& call) {
    switch (kind) {
    case ECallKind::Parse:
        return AddKind<ECallKind::Parse>(call);
    case ECallKind::Exec:
        return AddKind<ECallKind::Exec>(call);
    default:
        return AddKind<ECallKind::Fetch>(call);
    }
}

// A figure beyond 32 bits, a sum that leaves them, or a figure the kind keeps no room for is
// left to the full figures, which sum it as they always do.
template <ECallKind kKind> bool CPackedCalls::AddKind(const CCallFigures& call) {
    bool fits = true;
    ForEachCallFigure([&](auto figure) {
        if constexpr (!kKept<kKind, decltype(figure)>) {
            fits &= figure(call) == 0;
        }
    });
    std::array<std::int32_t, 8> sums{};
    std::size_t kept = 0;
    ForEachKept<kKind>([&](std::size_t place, auto figure) {
        fits &= AddIn32Bits(m_values[place], figure(call), sums[kept++]);
    });
    if (!fits) {
        return false;
    }
    std::copy_n(sums.begin(), kept, m_values.begin() + static_cast<std::ptrdiff_t>(kFirst<kKind>));
    return true;
}
