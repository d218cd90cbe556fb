#pragma once

#include "CTimelineEvent.h"
#include "CTraceContext.h"
#include "CWallClock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The time line of trace files: every call and wait with its interval, the gaps between
// them and the wall-clock anchors that give their times, in order of start, then end.
class CTimeline {
public:
    // A context of one file, as the trace states it.
    struct CContext {
        std::string file;
        std::string filePid; // the process the file's name gives
        CTraceContext key;

        // The context's process, the file's when the trace states none, as records show it.
        const std::string& Process() const { return key.process ? *key.process : filePid; }
        // Its session; empty before the process's first session.
        std::string Session() const { return key.session.value_or(std::string()); }
    };
    // A statement a cursor was bound to: its header's place in its file, for its list row.
    struct CStatement {
        std::uint32_t file = 0; // in Files
        std::uint64_t blockOffset = 0;
        std::uint32_t depth = 0;
        std::string sqlid;     // empty: none
        std::int64_t row = -1; // its row in the list, -1 when it is not listed
    };
    // A wall-clock time stamp and the tim of the call or wait line it anchors.
    struct CAnchor {
        std::int64_t tim = 0;
        CWallClock clock;
    };

    std::vector<CTimelineEvent>& Events() { return m_events; }
    const std::vector<CTimelineEvent>& Events() const { return m_events; }
    std::vector<CContext>& Contexts() { return m_contexts; }
    const std::vector<CContext>& Contexts() const { return m_contexts; }
    std::vector<CStatement>& Statements() { return m_statements; }
    const std::vector<CStatement>& Statements() const { return m_statements; }
    std::vector<CAnchor>& Anchors() { return m_anchors; }
    const std::vector<CAnchor>& Anchors() const { return m_anchors; }
    std::vector<std::string>& Files() { return m_files; }
    const std::vector<std::string>& Files() const { return m_files; }

    // The number of a call's or an event's name, given when it first comes.
    std::uint32_t NameId(std::string_view name);
    // The name of an event; empty for a gap.
    const std::string& NameOf(const CTimelineEvent& event) const;
    // The wall clock of tim `time` under an event's anchor; nothing without one.
    std::optional<CWallClock> ClockOf(const CTimelineEvent& event, std::int64_t time) const;
    // Whether any event has a wall-clock time.
    bool HasWallClock() const { return !m_anchors.empty(); }

    // Orders the events by start, then end (then as they were added).
    void Sort();
    // Adds the events of `other`, a time line of other files.
    void Append(CTimeline&& other);

private:
    std::vector<CTimelineEvent> m_events;
    std::vector<CContext> m_contexts;
    std::vector<CStatement> m_statements;
    std::vector<CAnchor> m_anchors;
    std::vector<std::string> m_files;
    std::vector<std::string> m_names;
};
