#pragma once

#include <cstdint>

// What a row of the time line is: a call, a wait, an idle wait (think time) or a gap, where
// no call or wait of its context ran.
enum class ETimelineKind : std::uint8_t { Call, Wait, Think, Gap };

// One interval of a trace's time line, in tim microseconds: a call covers [tim - e, tim],
// a wait [tim - ela, tim]. Its texts and wall clock are looked up in its CTimeline.
struct CTimelineEvent {
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    std::int64_t start = 0;
    std::int64_t end = 0;
    std::uint32_t context = 0;       // in CTimeline::Contexts
    std::uint32_t anchor = kNone;    // the latest wall-clock anchor of its context
    std::uint32_t statement = kNone; // its cursor's statement, in CTimeline::Statements
    std::uint32_t name = kNone;      // the call's or the event's name, in CTimeline::Names
    std::uint32_t depth = 0;         // a wait's: its statement's; a gap's: 0
    ETimelineKind kind = ETimelineKind::Call;
};
