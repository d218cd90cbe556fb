#include "CPackedCalls.h"

#include <cstddef>
#include <limits>

namespace {

constexpr std::size_t kFigureCount = 8;
constexpr std::array<std::int64_t CCallFigures::*, kFigureCount> kFigures = {
    &CCallFigures::count, &CCallFigures::cpu,     &CCallFigures::elapsed, &CCallFigures::disk,
    &CCallFigures::query, &CCallFigures::current, &CCallFigures::misses,  &CCallFigures::rows};

// Where each figure of kFigures lies in the values for parse, execute and fetch; kNone for a
// figure with no room, which must stay 0.
constexpr int kNone = -1;
constexpr std::array<std::array<int, kFigureCount>, 3> kSlots = {{
    {0, 1, 2, 3, 4, 5, 6, kNone},
    {7, 8, 9, 10, 11, 12, 13, 14},
    {15, 16, 17, 18, 19, 20, kNone, 21},
}};

bool Fits(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

CCallFigures CPackedCalls::Of(ECallKind kind) const {
    const auto& slots = kSlots[static_cast<std::size_t>(kind)];
    CCallFigures figures;
    for (std::size_t f = 0; f < kFigureCount; ++f) {
        if (slots[f] != kNone) {
            figures.*kFigures[f] = m_values[static_cast<std::size_t>(slots[f])];
        }
    }
    return figures;
}

bool CPackedCalls::Add(ECallKind kind, const CCallFigures& call) {
    const auto& slots = kSlots[static_cast<std::size_t>(kind)];
    std::array<std::int64_t, kFigureCount> sums{};
    for (std::size_t f = 0; f < kFigureCount; ++f) {
        const std::int64_t value = call.*kFigures[f];
        if (slots[f] == kNone) {
            if (value != 0) {
                return false;
            }
            continue;
        }
        sums[f] = SaturatingAdd(m_values[static_cast<std::size_t>(slots[f])], value);
        if (!Fits(sums[f])) {
            return false;
        }
    }
    for (std::size_t f = 0; f < kFigureCount; ++f) {
        if (slots[f] != kNone) {
            m_values[static_cast<std::size_t>(slots[f])] = static_cast<std::int32_t>(sums[f]);
        }
    }
    return true;
}
