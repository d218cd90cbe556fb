#pragma once

#include "CTimeRange.h"
#include "CTimeline.h"
#include "CTraceContext.h"
#include "TraceLines.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Makes the time line of one trace file from its lines, read in order. Every line belongs to a
// context (CTraceContext) by the rules the records are read with: a line naming a process
// switches to that process's current context, a header's "*** SESSION ID:(...)" switches the
// current process to that session, and a run of "*** " lines is one header, applied at the
// line after it. A turn of a context ends where its process switches to another session.
// Each context keeps its own cursor bindings, wall-clock anchors and turns: a "*** "
// time stamp anchors the tim of the next call or wait line of its context (not a statement
// header's tim, which may differ by a few microseconds), and a tim maps to the wall clock
// from the latest anchor before it. When a turn ends, the gaps in it are found: from the
// latest end so far to the next start, where no call or wait of any depth runs, when longer
// than the threshold. Idle waits are think time, not gaps.
class CTimelineBuilder {
public:
    // `filePid`: the process the file's name gives, for a trace that states none.
    CTimelineBuilder(std::string path, std::string filePid, std::int64_t minGap);

    // Also writes the text cut to `range`: every line but the timed ones (calls, waits,
    // transaction ends, errors) that end outside it, each of those left empty, and the line
    // breaks as they stand, so that every line keeps its number in the file.
    void CutTo(const CTimeRange& range) { m_cut = &range; }
    std::string& CutText() { return m_strCut; }
    // Reads whole lines, cut at every run of CR and LF; a zero byte ends the text.
    void Feed(std::string_view text, std::uint64_t offset);
    // Ends the text: the open turns end.
    CTimeline Finish();

private:
    // What the builder keeps per context.
    struct CContextState {
        std::optional<CWallClock> pendingAnchor; // for the next call or wait line
        std::uint32_t anchor = CTimelineEvent::kNone;
        std::unordered_map<std::uint64_t, std::uint32_t> cursors; // to statements
        std::vector<std::uint32_t> turnEvents;                    // of the open turn
    };

    // Each answers whether the line stays in the cut text.
    bool ReadLine(std::string_view line, std::uint64_t offset);
    bool ReadCall(std::string_view line, const CCursorLine& kind);
    bool ReadWait(std::string_view line, const CCursorLine& kind);
    bool ReadOtherTimed(std::int64_t tim);
    bool AddEvent(CTimelineEvent event, std::int64_t tim);
    bool InCut(const CTimelineEvent& event) const;
    void ReadHeaderLine(std::string_view line);
    void EndHeader();
    void SwitchProcess(std::string_view process);
    void SwitchTo(const CTraceContext& key);
    void ReadHeader(std::string_view line, std::uint64_t offset);
    CContextState& State(std::uint32_t context);
    void EndTurn(std::uint32_t context);

    CTimeline m_timeline;
    std::string m_strFilePid;
    std::vector<CTraceContext> m_contexts; // in the order they first came
    std::map<CTraceContext, std::uint32_t> m_contextIndex;
    std::map<std::optional<std::string>, std::uint32_t> m_processes; // each one's current
    std::uint32_t m_nCurrent = 0;
    std::vector<CContextState> m_states;
    std::int64_t m_nMinGap;
    // The header being read: whether one is, and the process and session it names.
    bool m_bInHeader = false;
    std::optional<std::string> m_headerProcess;
    std::optional<std::string> m_headerSession;
    bool m_bBlockStart = true; // the next line is the first of a block
    std::optional<CWallClock> m_headerClock;
    bool m_bEnded = false; // a zero byte ended the text
    const CTimeRange* m_cut = nullptr;
    std::string m_strCut;
};
