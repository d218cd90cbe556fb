#include "CTraceProfile.h"

#include "CEventNames.h"

#include <algorithm>

namespace {

std::size_t IndexOf(ECallKind kind) {
    return static_cast<std::size_t>(kind);
}

} // namespace

std::size_t CTraceProfile::SliceOf(const CSessionTags& tags) {
    const auto [at, added] = m_sliceIndex.try_emplace(tags, m_slices.size());
    if (added) {
        m_slices.emplace_back().tags = tags;
    }
    return at->second;
}

// A line timed at `time` that began at `start`: the time since the timed line before it
// passed under the line's slice.
void CTraceProfile::Mark(std::size_t slice, std::int64_t start, std::int64_t time) {
    if (time == 0) {
        return;
    }
    if (!m_bTimed) {
        m_bTimed = true;
        m_nStart = start;
        m_nFirstTim = time;
        m_nFirstSlice = slice;
        m_nMaxTim = time;
    } else {
        CProfileSlice& s = m_slices[slice];
        s.duration = SaturatingAdd(s.duration, SaturatingSubtract(time, m_nLastTim));
        m_nStart = std::min(m_nStart, start);
        m_nMaxTim = std::max(m_nMaxTim, time);
    }
    m_nLastTim = time;
    m_nLastSlice = slice;
}

void CTraceProfile::AddCall(std::size_t slice, EProfileCall kind, const CCallLine& call) {
    Mark(slice, SaturatingSubtract(call.time, call.figures.elapsed), call.time);
    if (call.depth == 0) {
        m_slices[slice].cpu[static_cast<std::size_t>(kind)].Add(call.figures.cpu);
    }
}

void CTraceProfile::AddCallTotals(bool recursive, ECallKind kind, const CCallFigures& call,
                                  const CSelfFigures& self) {
    CDepthTotals& totals = m_totals[recursive ? 1 : 0];
    totals.calls[IndexOf(kind)].Add(call);
    totals.self[IndexOf(kind)].Add(self);
}

// A trace has few wait events: a search of their names costs less than a hash of the name.
std::size_t CTraceProfile::EventOf(std::string_view name) {
    for (std::size_t event = 0; event < m_events.size(); ++event) {
        const std::string& known = m_events[event];
        if (known.size() == name.size() && (name.empty() || known.back() == name.back()) &&
            known == name) {
            return event;
        }
    }
    m_events.emplace_back(name);
    return m_events.size() - 1;
}

void CTraceProfile::AddWait(std::size_t slice, std::size_t event, const CWaitLine& wait,
                            int depth) {
    Mark(slice, SaturatingSubtract(wait.time, wait.elapsed), wait.time);
    m_slices[slice].AddWait(event, wait.elapsed);
    if (depth >= 0) {
        AddDepthWait(depth > 0, event, 1, wait.elapsed, wait.elapsed);
    }
}

void CTraceProfile::AddDepthWait(bool recursive, std::size_t event, std::int64_t count,
                                 std::int64_t max, std::int64_t total) {
    std::vector<CWaitFigures>& waits = m_totals[recursive ? 1 : 0].waits;
    if (waits.size() <= event) {
        waits.resize(event + 1);
    }
    CWaitFigures& sum = waits[event];
    sum.count = SaturatingAdd(sum.count, count);
    sum.max = std::max(sum.max, max);
    sum.total = SaturatingAdd(sum.total, total);
}

void CTraceProfile::AddDepthWaits(bool recursive, const std::vector<CWaitFigures>& waits) {
    for (const CWaitFigures& wait : waits) {
        AddDepthWait(recursive, EventOf(CEventNames::Name(wait.event)), wait.count, wait.max,
                     wait.total);
    }
}

CDepthTotals CTraceProfile::Totals(bool recursive) const {
    CDepthTotals totals = m_totals[recursive ? 1 : 0];
    for (std::size_t event = 0; event < totals.waits.size(); ++event) {
        totals.waits[event].event = CEventNames::Id(m_events[event]);
    }
    std::erase_if(totals.waits, [](const CWaitFigures& wait) { return wait.count == 0; });
    return totals;
}

void CTraceProfile::AddTransaction(std::size_t slice, const CXctendLine& line) {
    Mark(slice, line.time, line.time);
    CProfileSlice& s = m_slices[slice];
    std::int64_t& counter = line.rollback   ? s.rollbacks
                            : line.readOnly ? s.readOnlyCommits
                                            : s.commits;
    counter = SaturatingAdd(counter, 1);
}

void CTraceProfile::AddError(std::size_t slice, const CErrorLine& line) {
    Mark(slice, line.time, line.time);
    CErrorCount::Add(m_slices[slice].errors, line.error, 1);
}

void CTraceProfile::CorrectFirstCall(bool recursive, ECallKind kind, const CSelfFigures& before) {
    m_totals[recursive ? 1 : 0].self[IndexOf(kind)].Subtract(before);
}

void CTraceProfile::Append(const CTraceProfile& later) {
    std::vector<std::size_t> events;
    events.reserve(later.m_events.size());
    for (const std::string& name : later.m_events) {
        events.push_back(EventOf(name));
    }
    std::vector<std::size_t> slices;
    slices.reserve(later.m_slices.size());
    const CSessionTags tags = m_endTags;
    for (const CProfileSlice& slice : later.m_slices) {
        slices.push_back(SliceOf(slice.tags.After(tags)));
        m_slices[slices.back()].Merge(slice, events);
    }
    if (later.m_bTimed) {
        if (m_bTimed) {
            CProfileSlice& first = m_slices[slices[later.m_nFirstSlice]];
            first.duration =
                SaturatingAdd(first.duration, SaturatingSubtract(later.m_nFirstTim, m_nLastTim));
            m_nStart = std::min(m_nStart, later.m_nStart);
            m_nMaxTim = std::max(m_nMaxTim, later.m_nMaxTim);
        } else {
            m_bTimed = true;
            m_nStart = later.m_nStart;
            m_nFirstTim = later.m_nFirstTim;
            m_nFirstSlice = slices[later.m_nFirstSlice];
            m_nMaxTim = later.m_nMaxTim;
        }
        m_nLastTim = later.m_nLastTim;
        m_nLastSlice = slices[later.m_nLastSlice];
    }
    for (const bool recursive : {false, true}) {
        const std::vector<CWaitFigures>& waits = later.m_totals[recursive ? 1 : 0].waits;
        for (std::size_t event = 0; event < waits.size(); ++event) {
            const CWaitFigures& wait = waits[event];
            AddDepthWait(recursive, events[event], wait.count, wait.max, wait.total);
        }
        for (std::size_t k = 0; k < 3; ++k) {
            m_totals[recursive ? 1 : 0].calls[k].Add(later.m_totals[recursive ? 1 : 0].calls[k]);
            m_totals[recursive ? 1 : 0].self[k].Add(later.m_totals[recursive ? 1 : 0].self[k]);
        }
    }
    m_endTags = later.m_endTags.After(tags);
}

std::int64_t CTraceProfile::Duration() const {
    return m_bTimed ? SaturatingSubtract(m_nMaxTim, m_nStart) : 0;
}

std::int64_t CTraceProfile::DurationOf(std::size_t slice) const {
    std::int64_t duration = m_slices[slice].duration;
    if (m_bTimed && slice == m_nFirstSlice) {
        duration = SaturatingAdd(duration, SaturatingSubtract(m_nFirstTim, m_nStart));
    }
    if (m_bTimed && slice == m_nLastSlice) {
        duration = SaturatingAdd(duration, SaturatingSubtract(m_nMaxTim, m_nLastTim));
    }
    return duration;
}
