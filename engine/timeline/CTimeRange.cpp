#include "CTimeRange.h"

#include <charconv>

std::optional<CTimeRange::CBound> CTimeRange::ReadBound(std::string_view text) {
    CBound bound;
    const char* end = text.data() + text.size();
    const auto number = std::from_chars(text.data(), end, bound.tim);
    if (!text.empty() && number.ec == std::errc() && number.ptr == end) {
        bound.isTim = true;
        return bound;
    }
    std::size_t used = 0;
    const std::optional<CWallClock> clock = CWallClock::Read(text, &used);
    if (!clock.has_value() || used != text.size()) {
        return std::nullopt;
    }
    bound.clock = *clock;
    return bound;
}

bool CTimeRange::Contains(const CTimeline& timeline, const CTimelineEvent& event) const {
    if (from.has_value()) {
        const std::optional<std::int64_t> order = Compare(timeline, event, event.end, *from);
        if (!order.has_value() || *order < 0) {
            return false;
        }
    }
    if (to.has_value()) {
        const std::optional<std::int64_t> order = Compare(timeline, event, event.end, *to);
        if (!order.has_value() || *order > 0) {
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> CTimeRange::Compare(const CTimeline& timeline,
                                                const CTimelineEvent& event, std::int64_t time,
                                                const CBound& bound) {
    if (bound.isTim) {
        return time - bound.tim;
    }
    const std::optional<CWallClock> clock = timeline.ClockOf(event, time);
    if (!clock.has_value()) {
        return std::nullopt;
    }
    return clock->Since(bound.clock);
}
