#pragma once

#include "Saturating.h"

#include <algorithm>
#include <cstdint>

// How often something took time, in total, at least and at most (microseconds).
struct CProfileStat {
    std::int64_t count = 0;
    std::int64_t total = 0;
    std::int64_t min = 0;
    std::int64_t max = 0;

    void Add(std::int64_t time) {
        min = count == 0 ? time : std::min(min, time);
        max = count == 0 ? time : std::max(max, time);
        count = SaturatingAdd(count, 1);
        total = SaturatingAdd(total, time);
    }
    void Merge(const CProfileStat& other) {
        if (other.count == 0) {
            return;
        }
        min = count == 0 ? other.min : std::min(min, other.min);
        max = count == 0 ? other.max : std::max(max, other.max);
        count = SaturatingAdd(count, other.count);
        total = SaturatingAdd(total, other.total);
    }

    bool operator==(const CProfileStat&) const = default;
};
