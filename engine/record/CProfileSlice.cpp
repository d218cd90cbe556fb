#include "CProfileSlice.h"

void CProfileSlice::Merge(const CProfileSlice& later, const std::vector<std::size_t>& events) {
    for (std::size_t i = 0; i < kProfileCallCount; ++i) {
        cpu[i].Merge(later.cpu[i]);
    }
    for (std::size_t event = 0; event < later.waits.size(); ++event) {
        const std::size_t mine = events[event];
        if (waits.size() <= mine) {
            waits.resize(mine + 1);
        }
        waits[mine].Merge(later.waits[event]);
    }
    duration = SaturatingAdd(duration, later.duration);
    commits = SaturatingAdd(commits, later.commits);
    rollbacks = SaturatingAdd(rollbacks, later.rollbacks);
    readOnlyCommits = SaturatingAdd(readOnlyCommits, later.readOnlyCommits);
    CErrorCount::Add(errors, later.errors);
}
