#include "CTimelineBuilder.h"

#include "CSessionTags.h"
#include "IdleEvents.h"
#include "TraceText.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kCursorHeader = "PARSING IN CURSOR #";

std::string_view CallName(ETraceLine kind, std::string_view line) {
    switch (kind) {
    case ETraceLine::Parse:
        return "PARSE";
    case ETraceLine::Exec:
        return "EXEC";
    case ETraceLine::Fetch:
        return "FETCH";
    case ETraceLine::Close:
        return "CLOSE";
    case ETraceLine::Unmap:
        return "UNMAP";
    default:
        return line.substr(0, line.find(':'));
    }
}

} // namespace

CTimelineBuilder::CTimelineBuilder(std::string path, std::string filePid, std::int64_t minGap)
    : m_strFilePid(std::move(filePid)), m_nMinGap(minGap) {
    m_timeline.Files().push_back(std::move(path));
    m_contexts.emplace_back();
    m_contextIndex.emplace(CTraceContext(), 0);
    m_processes.emplace(std::nullopt, 0);
}

void CTimelineBuilder::Feed(std::string_view text, std::uint64_t offset) {
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    while (!m_bEnded && p != end) {
        if (*p == '\r' || *p == '\n') {
            if (m_cut != nullptr) {
                m_strCut += *p;
            }
            ++p;
            continue;
        }
        const char* lineEnd = FindLineBreak(p, end);
        const char* zero = std::find(p, lineEnd, '\0');
        m_bEnded = zero != lineEnd;
        const std::string_view line(p, static_cast<std::size_t>(zero - p));
        if (ReadLine(line, offset + static_cast<std::uint64_t>(p - text.data())) &&
            m_cut != nullptr) {
            m_strCut.append(line);
        }
        p = lineEnd;
    }
}

bool CTimelineBuilder::ReadLine(std::string_view line, std::uint64_t offset) {
    if (line.empty()) {
        return true;
    }
    if (line.starts_with("*** ")) {
        m_bInHeader = true;
        m_bBlockStart = true;
        ReadHeaderLine(line);
        if (std::optional<CWallClock> clock = CWallClock::OfHeaderLine(line)) {
            m_headerClock = clock;
        }
        return true;
    }
    EndHeader();
    if (IsSeparatorLine(line)) {
        m_bBlockStart = true;
        return true;
    }
    if (MayNameProcess(line)) {
        SwitchProcess(ProcessOfLine(line));
    }
    const bool first = std::exchange(m_bBlockStart, false);
    if (first && line.starts_with(kCursorHeader)) {
        ReadHeader(line, offset);
        return true;
    }
    const CCursorLine kind = ClassifyLine(line);
    switch (kind.kind) {
    case ETraceLine::Parse:
    case ETraceLine::Exec:
    case ETraceLine::Fetch:
    case ETraceLine::Close:
    case ETraceLine::Unmap:
    case ETraceLine::Lob:
        return ReadCall(line, kind);
    case ETraceLine::Wait:
        return ReadWait(line, kind);
    case ETraceLine::Xctend:
        return ReadOtherTimed(ReadXctendLine(line).time);
    case ETraceLine::Error:
        return ReadOtherTimed(ReadErrorLine(line).time);
    default:
        return true;
    }
}

// A "*** " line: a process switch or a session of the header it belongs to.
void CTimelineBuilder::ReadHeaderLine(std::string_view line) {
    ESessionTag tag = ESessionTag::Session;
    std::string_view value;
    if (const std::string_view process = ProcessOfLine(line); !process.empty()) {
        m_headerProcess = process;
    } else if (CSessionTags::ReadLine(line, tag, value) && tag == ESessionTag::Session) {
        m_headerSession = value;
    }
}

// The header's switches take effect; its time stamp waits for the next call or wait line of
// the context it leaves current.
void CTimelineBuilder::EndHeader() {
    if (!std::exchange(m_bInHeader, false)) {
        return;
    }
    if (const std::optional<std::string> process = std::exchange(m_headerProcess, std::nullopt)) {
        SwitchProcess(*process);
    }
    if (std::optional<std::string> session = std::exchange(m_headerSession, std::nullopt)) {
        CTraceContext key = m_contexts[m_nCurrent];
        key.session = std::move(session);
        SwitchTo(key);
    }
    if (m_headerClock.has_value()) {
        State(m_nCurrent).pendingAnchor = std::exchange(m_headerClock, std::nullopt);
    }
}

// The process's current context, or its first one with no session yet.
void CTimelineBuilder::SwitchProcess(std::string_view process) {
    if (process.empty()) {
        return;
    }
    const auto known = m_processes.find(std::string(process));
    SwitchTo(known != m_processes.end() ? m_contexts[known->second]
                                        : CTraceContext{std::string(process), std::nullopt});
}

// A process switching to another session ends the turn of the session it leaves.
void CTimelineBuilder::SwitchTo(const CTraceContext& key) {
    const CTraceContext& current = m_contexts[m_nCurrent];
    if (current == key) {
        return;
    }
    if (current.process == key.process) {
        EndTurn(m_nCurrent);
    }
    const auto [known, added] =
        m_contextIndex.emplace(key, static_cast<std::uint32_t>(m_contexts.size()));
    if (added) {
        m_contexts.push_back(key);
    }
    m_nCurrent = known->second;
    m_processes[key.process] = m_nCurrent;
}

// A statement header binds its cursor number, in its context, to a new statement.
void CTimelineBuilder::ReadHeader(std::string_view line, std::uint64_t offset) {
    std::uint64_t cursor = 0;
    if (!ReadCursorNumber(line, kCursorHeader.size() - 1, cursor)) {
        return;
    }
    CTimeline::CStatement statement;
    statement.blockOffset = offset;
    statement.depth = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(GetNumber(line, " dep=", " "), 0, UINT32_MAX));
    statement.sqlid = std::string(GetText(line, " sqlid='", "'"));
    std::vector<CTimeline::CStatement>& statements = m_timeline.Statements();
    State(m_nCurrent).cursors[cursor] = static_cast<std::uint32_t>(statements.size());
    statements.push_back(std::move(statement));
}

bool CTimelineBuilder::ReadCall(std::string_view line, const CCursorLine& kind) {
    const bool cursorCall = kind.kind == ETraceLine::Parse || kind.kind == ETraceLine::Exec ||
                            kind.kind == ETraceLine::Fetch;
    const CCallLine call =
        cursorCall ? ReadCallLine(line, CallKindOf(kind.kind), kind.end) : ReadCloseLine(line);
    CTimelineEvent event;
    event.kind = ETimelineKind::Call;
    event.start = call.time - call.figures.elapsed;
    event.end = call.time;
    event.depth = static_cast<std::uint32_t>(std::clamp<std::int64_t>(call.depth, 0, UINT32_MAX));
    event.name = m_timeline.NameId(CallName(kind.kind, line));
    if (kind.kind != ETraceLine::Lob) {
        const auto& cursors = State(m_nCurrent).cursors;
        const auto bound = cursors.find(kind.cursor);
        event.statement = bound == cursors.end() ? CTimelineEvent::kNone : bound->second;
    }
    return AddEvent(event, call.time);
}

bool CTimelineBuilder::ReadWait(std::string_view line, const CCursorLine& kind) {
    const CWaitLine wait = ReadWaitLine(line, kind.end);
    CTimelineEvent event;
    event.kind = IsIdleEvent(wait.event) ? ETimelineKind::Think : ETimelineKind::Wait;
    event.start = wait.time - wait.elapsed;
    event.end = wait.time;
    event.name = m_timeline.NameId(wait.event);
    const auto& cursors = State(m_nCurrent).cursors;
    const auto bound = cursors.find(kind.cursor);
    if (bound != cursors.end()) {
        event.statement = bound->second;
        event.depth = m_timeline.Statements()[bound->second].depth;
    }
    return AddEvent(event, wait.time);
}

// A transaction end or an error: no event, but it stays in a cut only within the range.
bool CTimelineBuilder::ReadOtherTimed(std::int64_t tim) {
    CTimelineEvent moment;
    moment.start = tim;
    moment.end = tim;
    moment.context = m_nCurrent;
    moment.anchor = State(moment.context).anchor;
    return tim == 0 || InCut(moment);
}

bool CTimelineBuilder::InCut(const CTimelineEvent& event) const {
    return m_cut == nullptr || m_cut->Contains(m_timeline, event);
}

// A line without a time stamp (tim of 0 or none) has no place on the time line.
bool CTimelineBuilder::AddEvent(CTimelineEvent event, std::int64_t tim) {
    if (tim == 0) {
        return true;
    }
    event.context = m_nCurrent;
    CContextState& state = State(event.context);
    if (state.pendingAnchor.has_value()) {
        state.anchor = static_cast<std::uint32_t>(m_timeline.Anchors().size());
        m_timeline.Anchors().push_back({tim, *std::exchange(state.pendingAnchor, std::nullopt)});
    }
    event.anchor = state.anchor;
    state.turnEvents.push_back(static_cast<std::uint32_t>(m_timeline.Events().size()));
    m_timeline.Events().push_back(event);
    return InCut(event);
}

CTimelineBuilder::CContextState& CTimelineBuilder::State(std::uint32_t context) {
    if (m_states.size() <= context) {
        m_states.resize(context + 1);
    }
    return m_states[context];
}

// The gaps of a turn: its events by start, each start later than every end before it by
// more than the threshold.
void CTimelineBuilder::EndTurn(std::uint32_t context) {
    std::vector<std::uint32_t> turn = std::exchange(State(context).turnEvents, {});
    std::vector<CTimelineEvent>& events = m_timeline.Events();
    std::stable_sort(turn.begin(), turn.end(), [&](std::uint32_t a, std::uint32_t b) {
        return events[a].start < events[b].start;
    });
    std::optional<std::int64_t> latestEnd;
    for (const std::uint32_t index : turn) {
        const CTimelineEvent next = events[index];
        if (latestEnd.has_value() && next.start - *latestEnd > m_nMinGap) {
            CTimelineEvent gap;
            gap.kind = ETimelineKind::Gap;
            gap.start = *latestEnd;
            gap.end = next.start;
            gap.context = context;
            gap.anchor = next.anchor;
            events.push_back(gap);
        }
        latestEnd = std::max(latestEnd.value_or(next.end), next.end);
    }
}

CTimeline CTimelineBuilder::Finish() {
    EndHeader();
    for (std::uint32_t context = 0; context < m_states.size(); ++context) {
        EndTurn(context);
    }
    for (const CTraceContext& key : m_contexts) {
        m_timeline.Contexts().push_back({m_timeline.Files().front(), m_strFilePid, key});
    }
    m_timeline.Sort();
    return std::move(m_timeline);
}
