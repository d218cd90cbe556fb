#pragma once

#include <cstdint>
#include <string>

// Microseconds as seconds with six decimals, exactly: 1234567 gives "1.234567".
std::string FormatSeconds(std::int64_t microseconds);
// A share as a percentage with one decimal: 0.1234 gives "12.3%".
std::string FormatShare(double share);
// A number with its unit, made plural unless it is 1: (2, "commit") gives "2 commits".
std::string CountOf(std::int64_t count, const std::string& unit);
// "ORA-" and the number with at least five digits.
std::string OraName(std::int64_t error);
