#pragma once

#include "CTimeRange.h"
#include "CTimeline.h"
#include "CTimelineContexts.h"
#include "TraceLines.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Makes the time line of one trace file from its lines, read in order. Each context (a
// process and session) keeps its own cursor bindings, wall-clock anchors and turns: a "*** "
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
    // transaction ends, errors) that end outside it, each line ending with LF.
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
    void EndHeader();
    void ReadHeader(std::string_view line, std::uint64_t offset);
    CContextState& State(std::uint32_t context);
    void EndTurn(std::uint32_t context);

    CTimeline m_timeline;
    CTimelineContexts m_contexts;
    std::vector<CContextState> m_states;
    std::int64_t m_nMinGap;
    bool m_bInHeader = false;
    bool m_bBlockStart = true; // the next line is the first of a block
    std::optional<CWallClock> m_headerClock;
    bool m_bEnded = false; // a zero byte ended the text
    const CTimeRange* m_cut = nullptr;
    std::string m_strCut;
};
