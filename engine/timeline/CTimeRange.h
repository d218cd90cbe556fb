#pragma once

#include "CTimeline.h"
#include "CWallClock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A range [from, to] of time, each end optional: it selects the calls and waits that end
// within it. An end is a wall-clock time as the trace writes it or a tim value; a wall-clock
// end selects only events whose wall clock is known, compared in UTC when both it and the
// event give a zone, else as written.
class CTimeRange {
public:
    struct CBound {
        bool isTim = false;
        std::int64_t tim = 0;
        CWallClock clock;
    };

    // A tim (decimal digits) or a wall-clock time; nothing for any other text.
    static std::optional<CBound> ReadBound(std::string_view text);

    std::optional<CBound> from;
    std::optional<CBound> to;

    bool IsEmpty() const { return !from.has_value() && !to.has_value(); }
    // Whether an event of `timeline` ends within the range.
    bool Contains(const CTimeline& timeline, const CTimelineEvent& event) const;

private:
    // How `time` (a tim under `event`'s anchor) stands to `bound`: < 0 before, 0 at, > 0
    // after; nothing when a wall-clock bound meets an event without a wall clock.
    static std::optional<std::int64_t> Compare(const CTimeline& timeline,
                                               const CTimelineEvent& event, std::int64_t time,
                                               const CBound& bound);
};
