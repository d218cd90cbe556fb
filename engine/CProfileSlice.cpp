#include "CProfileSlice.h"

#include <algorithm>

void CProfileSlice::AddWait(std::string_view event, std::int64_t elapsed) {
    const auto known = std::find_if(waits.begin(), waits.end(),
                                    [&](const auto& wait) { return wait.first == event; });
    if (known != waits.end()) {
        known->second.Add(elapsed);
        return;
    }
    waits.emplace_back(std::string(event), CProfileStat{}).second.Add(elapsed);
}

void CProfileSlice::Merge(const CProfileSlice& later) {
    for (std::size_t i = 0; i < kProfileCallCount; ++i) {
        cpu[i].Merge(later.cpu[i]);
    }
    for (const auto& [event, stat] : later.waits) {
        const auto known = std::find_if(waits.begin(), waits.end(),
                                        [&](const auto& wait) { return wait.first == event; });
        if (known != waits.end()) {
            known->second.Merge(stat);
        } else {
            waits.emplace_back(event, stat);
        }
    }
    duration = SaturatingAdd(duration, later.duration);
    commits = SaturatingAdd(commits, later.commits);
    rollbacks = SaturatingAdd(rollbacks, later.rollbacks);
    readOnlyCommits = SaturatingAdd(readOnlyCommits, later.readOnlyCommits);
    CErrorCount::Add(errors, later.errors);
}
