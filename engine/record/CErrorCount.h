#pragma once

#include "Saturating.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// How often "ERROR #c:err=N" lines gave one error number.
struct CErrorCount {
    std::int64_t error = 0;
    std::int64_t count = 0;

    // Adds `count` to the error's entry of `counts`, kept in order of the numbers.
    static void Add(std::vector<CErrorCount>& counts, std::int64_t error, std::int64_t count) {
        const auto at = std::lower_bound(
            counts.begin(), counts.end(), error,
            [](const CErrorCount& known, std::int64_t e) { return known.error < e; });
        if (at != counts.end() && at->error == error) {
            at->count = SaturatingAdd(at->count, count);
        } else {
            counts.insert(at, CErrorCount{error, count});
        }
    }
    static void Add(std::vector<CErrorCount>& counts, const std::vector<CErrorCount>& more) {
        for (const CErrorCount& entry : more) {
            Add(counts, entry.error, entry.count);
        }
    }

    bool operator==(const CErrorCount&) const = default;
};
