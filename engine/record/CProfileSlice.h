#pragma once

#include "CErrorCount.h"
#include "CProfileStat.h"
#include "CSessionTags.h"

#include <array>
#include <cstdint>
#include <vector>

// The calls that count for a profile's CPU time: every call line at depth 0 by its kind.
enum class EProfileCall { Parse, Exec, Fetch, Unmap, Close, Lob };
inline constexpr std::size_t kProfileCallCount = 6;

// What the lines of one context written under one set of session tags add to a trace's
// profile: the CPU of the calls at depth 0 by kind, every wait by event (any depth, any
// cursor), the part of the context's duration that passed under these tags, the ends of
// transactions and the errors.
struct CProfileSlice {
    std::size_t context = 0; // the context's number in its profile
    CSessionTags tags;
    std::array<CProfileStat, kProfileCallCount> cpu;
    std::vector<CProfileStat> waits; // by the number its profile gave the event
    std::int64_t duration = 0;
    std::int64_t commits = 0;
    std::int64_t rollbacks = 0;
    std::int64_t readOnlyCommits = 0;
    std::vector<CErrorCount> errors;

    // Inline, as every wait line comes here.
    void AddWait(std::size_t event, std::int64_t elapsed) {
        if (waits.size() <= event) {
            waits.resize(event + 1);
        }
        waits[event].Add(elapsed);
    }
    // Adds the figures of `later`, which came after those summed here; `events` turns the
    // numbers of its events into those of this slice's.
    void Merge(const CProfileSlice& later, const std::vector<std::size_t>& events);
};
