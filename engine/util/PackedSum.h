#pragma once

#include <cstdint>

// Figures kept packed in 32 bits while they and their sums fit, in full otherwise.
inline bool FitsIn32Bits(std::int64_t value) {
    return static_cast<std::int32_t>(value) == value;
}

// Sets `sum` to `value` plus `figure`; false, leaving `sum` alone, when the figure or the sum
// leaves 32 bits.
inline bool AddIn32Bits(std::int32_t value, std::int64_t figure, std::int32_t& sum) {
    std::int32_t result = 0;
    if (!FitsIn32Bits(figure) ||
        __builtin_add_overflow(value, static_cast<std::int32_t>(figure), &result)) {
        return false;
    }
    sum = result;
    return true;
}
