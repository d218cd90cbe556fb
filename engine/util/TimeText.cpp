#include "TimeText.h"

#include <cinttypes>
#include <cstdio>

// Built from two integers, without a format to parse: tables print one for each figure.
std::string FormatSeconds(std::int64_t microseconds) {
    const bool negative = microseconds < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(microseconds)
                                             : static_cast<std::uint64_t>(microseconds);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 1000000);
    const std::string fraction = std::to_string(magnitude % 1000000);
    text += '.';
    text.append(6 - fraction.size(), '0');
    text += fraction;
    return text;
}

std::string FormatShare(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", share * 100.0);
    return text;
}

std::string CountOf(std::int64_t count, const std::string& unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

std::string OraName(std::int64_t error) {
    char text[32];
    std::snprintf(text, sizeof text, "ORA-%05" PRId64, error);
    return text;
}
