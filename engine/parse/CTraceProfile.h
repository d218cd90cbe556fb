#pragma once

#include "CCursorFigures.h"
#include "CDepthTotals.h"
#include "CProfileSlice.h"
#include "CSessionTags.h"
#include "CTraceContext.h"
#include "TraceLines.h"

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where the time of one trace file (or of one part of it) went, line by line: the figures of
// its calls, waits, transaction ends and errors, in slices by the context (CTraceContext) and
// the session tags they were written under, and the time stamps that give its duration R. A
// line's tim of 0 or none is no time stamp.
//
// A context's time comes in turns: a turn begins where its process switches to its session
// and ends where the process switches to another session (a process switch line ends no
// turn). A turn lasts from the start of its first timed line (a call's tim less its e, a
// wait's tim less its ela) to its greatest tim; R of a context is the sum of its turns, and R
// of the text the sum of its contexts'. Each slice gets the time from the tim of the timed
// line of the same turn before each of its lines to that line's tim, and the ends of the
// turn, so the slices' durations add up to R. The profile of a part of a file joins the
// profile of the part before it (Append), which gives the profile of the two parts read as
// one text: the contexts of the later part are resolved against what the earlier stated.
class CTraceProfile {
public:
    CTraceProfile() : CTraceProfile(CTraceContext(), CSessionTags()) {}
    // The profile of a text that begins in `context` under `tags` (of that context).
    CTraceProfile(const CTraceContext& context, const CSessionTags& tags);

    // The lines that follow come from `context`, whose members not stated are those of the
    // text before; a context of another session of its process ends the process's turn.
    void SwitchTo(const CTraceContext& context);
    // A tag line made these the tags of the current context.
    void SetTags(const CSessionTags& tags);
    // The slice of the current context under the given tags, made when missing.
    std::size_t SliceOf(const CSessionTags& tags);
    void AddCall(std::size_t slice, EProfileCall kind, const CCallLine& call);
    void AddCallTotals(bool recursive, ECallKind kind, const CCallFigures& call,
                       const CSelfFigures& self);
    // The number of an event, given when it first comes.
    std::size_t EventOf(std::string_view name);
    // A wait for `event` (its number from EventOf) of a cursor bound to a statement at
    // `depth`, or -1 when the cursor's statement is not known yet.
    void AddWait(std::size_t slice, std::size_t event, const CWaitLine& wait, int depth);
    void AddDepthWaits(bool recursive, const std::vector<CWaitFigures>& waits);
    void AddTransaction(std::size_t slice, const CXctendLine& line);
    void AddError(std::size_t slice, const CErrorLine& line);
    // The self figures of the first call at a depth of a context of this text lack the calls of
    // the next depth written before the text began.
    void CorrectFirstCall(bool recursive, ECallKind kind, const CSelfFigures& before);

    // Adds the profile of the text that came right after this one's.
    void Append(const CTraceProfile& later);
    // What a context of the text of `later`, which came right after this one's, is: its members
    // not stated there are those current at the end of this text. The process that text
    // began in, not knowing its number, may have switched sessions before a line named it: a
    // context of that process without a session stated is in the session it left it in.
    CTraceContext Resolve(const CTraceContext& context, const CTraceProfile& later) const;
    // The tags of a context (as this text knows it) current at the end of the text.
    CSessionTags EndTags(const CTraceContext& context) const;

    // Whether any line had a time stamp: without, the file has no duration.
    bool IsTimed() const { return m_bTimed; }
    // R in microseconds, the sum of the contexts' R; 0 when not timed.
    std::int64_t Duration() const;
    // From the first start to the greatest tim of all contexts; 0 when not timed.
    std::int64_t Span() const;
    // How many contexts lines of the text came from.
    std::size_t ContextCount() const;
    const std::vector<CProfileSlice>& Slices() const { return m_slices; }
    // The context of a slice.
    const CTraceContext& ContextOf(const CProfileSlice& slice) const;
    // The wait events by the number the slices know them by, in the order they first came.
    const std::vector<std::string>& Events() const { return m_events; }
    // Per slice, the part of R that passed in its context under its tags.
    std::vector<std::int64_t> SliceDurations() const;
    CDepthTotals Totals(bool recursive) const;

private:
    struct CContext {
        CTraceContext key;
        std::size_t process = 0;
        CSessionTags endTags;
    };
    // A turn of a context: its timed lines' earliest start, first, last and greatest tim, and
    // the slices of its first and last timed line.
    struct CTurn {
        std::size_t context = 0;
        bool timed = false;
        std::int64_t start = 0;
        std::int64_t firstTim = 0;
        std::int64_t lastTim = 0;
        std::int64_t maxTim = 0;
        std::size_t firstSlice = 0;
        std::size_t lastSlice = 0;
    };
    // A process's first turn in this text, which may continue the turn open at the end of the
    // text before, and its last turn, which the text after may continue; the ends of both are
    // added to their slices when asked, those of the turns between when they end.
    struct CProcess {
        std::optional<std::string> key;
        std::size_t current = 0; // its context now
        std::optional<CTurn> first;
        bool firstEnded = false;
        std::optional<CTurn> last;
        std::size_t turns = 0;

        CTurn* Open();
    };

    std::size_t ContextIndex(const CTraceContext& key);
    void EndTurn(CProcess& process);
    void StartTurn(CProcess& process, const CTurn& turn);
    void AddTurnEnds(const CTurn& turn, std::vector<std::int64_t>& durations) const;
    static void Widen(const CTurn& turn, std::int64_t& start, std::int64_t& maxTim);
    void Merge(CTurn& earlier, const CTurn& later);
    void Mark(std::size_t slice, std::int64_t start, std::int64_t time);
    void AddDepthWait(bool recursive, std::size_t event, std::int64_t count, std::int64_t max,
                      std::int64_t total);

    std::vector<CProfileSlice> m_slices;
    std::map<std::pair<std::size_t, CSessionTags>, std::size_t> m_sliceIndex;
    std::vector<CContext> m_contexts;
    std::map<CTraceContext, std::size_t> m_contextIndex;
    std::vector<CProcess> m_processes;
    std::size_t m_nContext = 0; // the current context
    std::size_t m_nProcess = 0; // and its process
    bool m_bTimed = false;
    // The earliest start and the greatest tim of the turns whose ends were added to their
    // slices (none while the start is above the tim).
    std::int64_t m_nStart = std::numeric_limits<std::int64_t>::max();
    std::int64_t m_nMaxTim = std::numeric_limits<std::int64_t>::min();
    std::vector<std::string> m_events;
    // Depth 0, deeper; their waits by event number, with those that never came at a depth.
    CDepthTotals m_totals[2];
};
