#include "CDepthTotals.h"

#include <algorithm>

void CDepthTotals::AddWait(std::uint32_t event, std::int64_t count, std::int64_t max,
                           std::int64_t total) {
    const auto known = std::find_if(waits.begin(), waits.end(),
                                    [&](const CWaitFigures& wait) { return wait.event == event; });
    if (known == waits.end()) {
        waits.push_back(CWaitFigures{event, count, max, total});
        return;
    }
    known->count = SaturatingAdd(known->count, count);
    known->max = std::max(known->max, max);
    known->total = SaturatingAdd(known->total, total);
}

void CDepthTotals::Merge(const CDepthTotals& later) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
        calls[i].Add(later.calls[i]);
        self[i].Add(later.self[i]);
    }
    for (const CWaitFigures& wait : later.waits) {
        AddWait(wait.event, wait.count, wait.max, wait.total);
    }
}
