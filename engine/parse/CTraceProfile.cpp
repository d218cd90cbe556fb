#include "CTraceProfile.h"

#include "CEventNames.h"

#include <algorithm>

namespace {

std::size_t IndexOf(ECallKind kind) {
    return static_cast<std::size_t>(kind);
}

} // namespace

CTraceProfile::CTraceProfile(const CTraceContext& context, const CSessionTags& tags) {
    SwitchTo(context);
    SetTags(tags);
}

CTraceProfile::CTurn* CTraceProfile::CProcess::Open() {
    if (last) {
        return &*last;
    }
    return first && !firstEnded ? &*first : nullptr;
}

std::size_t CTraceProfile::ContextIndex(const CTraceContext& key) {
    const auto [at, added] = m_contextIndex.try_emplace(key, m_contexts.size());
    if (!added) {
        return at->second;
    }
    const auto process = std::find_if(m_processes.begin(), m_processes.end(),
                                      [&](const CProcess& p) { return p.key == key.process; });
    const auto number = static_cast<std::size_t>(process - m_processes.begin());
    if (process == m_processes.end()) {
        CProcess& first = m_processes.emplace_back();
        first.key = key.process;
        first.current = at->second;
    }
    CContext& context = m_contexts.emplace_back();
    context.key = key;
    context.process = number;
    if (key.session) {
        context.endTags.Set(ESessionTag::Session, *key.session);
    }
    return at->second;
}

void CTraceProfile::SwitchTo(const CTraceContext& context) {
    m_nContext = ContextIndex(context);
    m_nProcess = m_contexts[m_nContext].process;
    CProcess& process = m_processes[m_nProcess];
    process.current = m_nContext;
    const CTurn* open = process.Open();
    if (open == nullptr || open->context != m_nContext) {
        EndTurn(process);
        StartTurn(process, CTurn{m_nContext});
    }
}

void CTraceProfile::SetTags(const CSessionTags& tags) {
    m_contexts[m_nContext].endTags = tags;
}

// A turn that ends keeps its ends apart while it is the process's first, which the text
// before may continue; a later one's are added to its slices now.
void CTraceProfile::EndTurn(CProcess& process) {
    if (process.last) {
        std::vector<std::int64_t> ends(m_slices.size());
        AddTurnEnds(*process.last, ends);
        for (std::size_t slice = 0; slice < m_slices.size(); ++slice) {
            m_slices[slice].duration = SaturatingAdd(m_slices[slice].duration, ends[slice]);
        }
        Widen(*process.last, m_nStart, m_nMaxTim);
        process.last.reset();
    } else if (process.first) {
        process.firstEnded = true;
    }
}

void CTraceProfile::StartTurn(CProcess& process, const CTurn& turn) {
    ++process.turns;
    if (process.first) {
        process.last = turn;
    } else {
        process.first = turn;
    }
}

// The time from a turn's start to its first tim and from its last tim to its greatest.
void CTraceProfile::AddTurnEnds(const CTurn& turn, std::vector<std::int64_t>& durations) const {
    if (!turn.timed) {
        return;
    }
    std::int64_t& first = durations[turn.firstSlice];
    first = SaturatingAdd(first, SaturatingSubtract(turn.firstTim, turn.start));
    std::int64_t& last = durations[turn.lastSlice];
    last = SaturatingAdd(last, SaturatingSubtract(turn.maxTim, turn.lastTim));
}

// `later` continues `earlier`: the time between them passed under later's first slice.
void CTraceProfile::Merge(CTurn& earlier, const CTurn& later) {
    if (!later.timed) {
        return;
    }
    if (!earlier.timed) {
        const std::size_t context = earlier.context;
        earlier = later;
        earlier.context = context;
        return;
    }
    CProfileSlice& first = m_slices[later.firstSlice];
    first.duration =
        SaturatingAdd(first.duration, SaturatingSubtract(later.firstTim, earlier.lastTim));
    earlier.start = std::min(earlier.start, later.start);
    earlier.maxTim = std::max(earlier.maxTim, later.maxTim);
    earlier.lastTim = later.lastTim;
    earlier.lastSlice = later.lastSlice;
}

std::size_t CTraceProfile::SliceOf(const CSessionTags& tags) {
    const auto [at, added] = m_sliceIndex.try_emplace(std::pair(m_nContext, tags), m_slices.size());
    if (added) {
        CProfileSlice& slice = m_slices.emplace_back();
        slice.context = m_nContext;
        slice.tags = tags;
    }
    return at->second;
}

// A line timed at `time` that began at `start`: the time since the timed line of its turn
// before it passed under the line's slice.
void CTraceProfile::Mark(std::size_t slice, std::int64_t start, std::int64_t time) {
    if (time == 0) {
        return;
    }
    // The current process's open turn: its last, or its first while no other began.
    CProcess& process = m_processes[m_nProcess];
    CTurn& turn = process.last ? *process.last : *process.first;
    if (!turn.timed) {
        m_bTimed = true;
        turn.timed = true;
        turn.start = start;
        turn.firstTim = time;
        turn.firstSlice = slice;
        turn.maxTim = time;
    } else {
        CProfileSlice& s = m_slices[slice];
        s.duration = SaturatingAdd(s.duration, SaturatingSubtract(time, turn.lastTim));
        turn.start = std::min(turn.start, start);
        turn.maxTim = std::max(turn.maxTim, time);
    }
    turn.lastTim = time;
    turn.lastSlice = slice;
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

CTraceContext CTraceProfile::Resolve(const CTraceContext& key, const CTraceProfile& later) const {
    CTraceContext context = key;
    const std::optional<std::string>& current = m_contexts[m_nContext].key.process;
    if (!context.process) {
        context.process = current;
    } else if (!context.session && context.process == current) {
        const auto begun = std::find_if(later.m_processes.begin(), later.m_processes.end(),
                                        [](const CProcess& p) { return !p.key; });
        if (begun != later.m_processes.end()) {
            context.session = later.m_contexts[begun->current].key.session;
        }
    }
    if (!context.session) {
        const auto process =
            std::find_if(m_processes.begin(), m_processes.end(),
                         [&](const CProcess& p) { return p.key == context.process; });
        if (process != m_processes.end()) {
            context.session = m_contexts[process->current].key.session;
        }
    }
    return context;
}

CSessionTags CTraceProfile::EndTags(const CTraceContext& context) const {
    const auto known = m_contextIndex.find(context);
    if (known != m_contextIndex.end()) {
        return m_contexts[known->second].endTags;
    }
    CSessionTags tags;
    if (context.session) {
        tags.Set(ESessionTag::Session, *context.session);
    }
    return tags;
}

// The later text's contexts are resolved against what this text stated; its slices take the
// tags of their context for the tags it did not set; a process's first turn there continues
// the turn open here when it is of the same context.
void CTraceProfile::Append(const CTraceProfile& later) {
    std::vector<std::size_t> events;
    events.reserve(later.m_events.size());
    for (const std::string& name : later.m_events) {
        events.push_back(EventOf(name));
    }
    const std::size_t current = m_nContext;
    std::vector<std::size_t> contexts;
    contexts.reserve(later.m_contexts.size());
    for (const CContext& context : later.m_contexts) {
        m_nContext = current;
        contexts.push_back(ContextIndex(Resolve(context.key, later)));
    }
    std::vector<std::size_t> slices(later.m_slices.size());
    for (std::size_t c = 0; c < later.m_contexts.size(); ++c) {
        m_nContext = contexts[c];
        const CSessionTags before = m_contexts[m_nContext].endTags;
        for (std::size_t i = 0; i < later.m_slices.size(); ++i) {
            const CProfileSlice& slice = later.m_slices[i];
            if (slice.context == c) {
                slices[i] = SliceOf(slice.tags.After(before));
                m_slices[slices[i]].Merge(slice, events);
            }
        }
        m_contexts[m_nContext].endTags = later.m_contexts[c].endTags.After(before);
    }
    const auto map = [&](const CTurn& turn) {
        CTurn mapped = turn;
        mapped.context = contexts[turn.context];
        mapped.firstSlice = turn.timed ? slices[turn.firstSlice] : 0;
        mapped.lastSlice = turn.timed ? slices[turn.lastSlice] : 0;
        return mapped;
    };
    for (const CProcess& process : later.m_processes) {
        CProcess& mine = m_processes[m_contexts[contexts[process.current]].process];
        mine.current = contexts[process.current];
        if (process.first) {
            const CTurn head = map(*process.first);
            CTurn* open = mine.Open();
            if (open != nullptr && open->context == head.context) {
                Merge(*open, head);
            } else {
                EndTurn(mine);
                StartTurn(mine, head);
            }
            // A header that named the session the process was in, which the later text did
            // not know, ended no turn.
            if (process.turns == 2 && contexts[process.last->context] == head.context) {
                Merge(*mine.Open(), map(*process.last));
                continue;
            }
            if (process.firstEnded) {
                EndTurn(mine);
            }
        }
        if (process.last) {
            StartTurn(mine, map(*process.last));
        }
    }
    m_nContext = contexts[later.m_nContext];
    m_nProcess = m_contexts[m_nContext].process;
    m_bTimed = m_bTimed || later.m_bTimed;
    if (later.m_nStart <= later.m_nMaxTim) {
        Widen(CTurn{0, true, later.m_nStart, 0, 0, later.m_nMaxTim}, m_nStart, m_nMaxTim);
    }
    for (const bool recursive : {false, true}) {
        CDepthTotals& mine = m_totals[recursive ? 1 : 0];
        const CDepthTotals& theirs = later.m_totals[recursive ? 1 : 0];
        for (std::size_t event = 0; event < theirs.waits.size(); ++event) {
            const CWaitFigures& wait = theirs.waits[event];
            AddDepthWait(recursive, events[event], wait.count, wait.max, wait.total);
        }
        for (std::size_t k = 0; k < 3; ++k) {
            mine.calls[k].Add(theirs.calls[k]);
            mine.self[k].Add(theirs.self[k]);
        }
    }
}

std::vector<std::int64_t> CTraceProfile::SliceDurations() const {
    std::vector<std::int64_t> durations;
    durations.reserve(m_slices.size());
    for (const CProfileSlice& slice : m_slices) {
        durations.push_back(slice.duration);
    }
    for (const CProcess& process : m_processes) {
        for (const std::optional<CTurn>& turn : {process.first, process.last}) {
            if (turn) {
                AddTurnEnds(*turn, durations);
            }
        }
    }
    return durations;
}

std::int64_t CTraceProfile::Duration() const {
    std::int64_t duration = 0;
    for (const std::int64_t slice : SliceDurations()) {
        duration = SaturatingAdd(duration, slice);
    }
    return m_bTimed ? duration : 0;
}

// The turns that ended here and those still apart.
std::int64_t CTraceProfile::Span() const {
    std::int64_t start = m_nStart;
    std::int64_t maxTim = m_nMaxTim;
    for (const CProcess& process : m_processes) {
        for (const std::optional<CTurn>& turn : {process.first, process.last}) {
            if (turn) {
                Widen(*turn, start, maxTim);
            }
        }
    }
    return start <= maxTim ? SaturatingSubtract(maxTim, start) : 0;
}

void CTraceProfile::Widen(const CTurn& turn, std::int64_t& start, std::int64_t& maxTim) {
    if (turn.timed) {
        start = std::min(start, turn.start);
        maxTim = std::max(maxTim, turn.maxTim);
    }
}

std::size_t CTraceProfile::ContextCount() const {
    std::vector<bool> seen(m_contexts.size());
    for (const CProfileSlice& slice : m_slices) {
        seen[slice.context] = true;
    }
    return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), true));
}

const CTraceContext& CTraceProfile::ContextOf(const CProfileSlice& slice) const {
    return m_contexts[slice.context].key;
}
