#pragma once

#include "CCursorFigures.h"
#include "CDepthTotals.h"
#include "CProfileSlice.h"
#include "CSessionTags.h"
#include "TraceLines.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Where the time of one trace file (or of one part of it) went, line by line: the figures of
// its calls, waits, transaction ends and errors, in slices by the session tags they were
// written under, and the time stamps that give its duration R: from the start of the first
// timed line (a call's tim less its e, a wait's tim less its ela) to the greatest tim. A
// line's tim of 0 or none is no time stamp. Each slice gets the time from the tim of the
// timed line before each of its lines to that line's tim, so the slices' durations add up to
// R. The profile of a part of a file joins the profile of the part before it (Append), which
// gives the profile of the two parts read as one text.
class CTraceProfile {
public:
    CTraceProfile() = default;
    // The profile of a text that begins under `tags`.
    explicit CTraceProfile(const CSessionTags& tags) : m_endTags(tags) {}

    // A tag line made these the tags of the lines that follow.
    void SetTags(const CSessionTags& tags) { m_endTags = tags; }
    // The slice of the given tags, made when missing.
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
    // The self figures of the first call at a depth of this text lack the calls of the next
    // depth written before the text began.
    void CorrectFirstCall(bool recursive, ECallKind kind, const CSelfFigures& before);

    // Adds the profile of the text that came right after this one's.
    void Append(const CTraceProfile& later);

    // Whether any line had a time stamp: without, the file has no duration.
    bool IsTimed() const { return m_bTimed; }
    // R in microseconds; 0 when not timed.
    std::int64_t Duration() const;
    const std::vector<CProfileSlice>& Slices() const { return m_slices; }
    // The wait events by the number the slices know them by, in the order they first came.
    const std::vector<std::string>& Events() const { return m_events; }
    // The part of R that passed under a slice's tags.
    std::int64_t DurationOf(std::size_t slice) const;
    CDepthTotals Totals(bool recursive) const;
    // The tags current at the end of the text.
    const CSessionTags& EndTags() const { return m_endTags; }

private:
    void Mark(std::size_t slice, std::int64_t start, std::int64_t time);
    void AddDepthWait(bool recursive, std::size_t event, std::int64_t count, std::int64_t max,
                      std::int64_t total);

    std::vector<CProfileSlice> m_slices;
    std::map<CSessionTags, std::size_t> m_sliceIndex;
    CSessionTags m_endTags;
    bool m_bTimed = false;
    std::int64_t m_nStart = 0;    // the earliest start of a timed line
    std::int64_t m_nFirstTim = 0; // the first timed line's tim
    std::int64_t m_nLastTim = 0;  // the last timed line's tim
    std::int64_t m_nMaxTim = 0;
    std::size_t m_nFirstSlice = 0;
    std::size_t m_nLastSlice = 0;
    std::vector<std::string> m_events;
    // Depth 0, deeper; their waits by event number, with those that never came at a depth.
    CDepthTotals m_totals[2];
};
