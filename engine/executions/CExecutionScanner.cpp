#include "CExecutionScanner.h"

#include "TraceLines.h"
#include "TraceText.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kCursorHeader = "PARSING IN CURSOR #";
constexpr std::string_view kErrorHeader = "PARSE ERROR #";
constexpr std::string_view kBinds = "BINDS #";

// The cursor number after `prefix` of `line`; false when the line does not start so.
bool CursorAfter(std::string_view line, std::string_view prefix, std::uint64_t& cursor) {
    return line.starts_with(prefix) && ReadCursorNumber(line, prefix.size() - 1, cursor);
}

// The number after ",plh=" of an EXEC line; 0 without.
std::int64_t PlanHashOf(std::string_view line) {
    const std::size_t at = line.find(",plh=");
    return at == std::string_view::npos ? 0 : ParseInteger(line.substr(at + 5));
}

} // namespace

CExecutionScanner::CExecutionScanner(const std::vector<std::uint64_t>& headers) {
    for (const std::uint64_t header : headers) {
        m_statements[header];
    }
}

CExecutionScanner::CExecutionScanner() : m_bAll(true) {}

const CExecutionScanner::CStatement* CExecutionScanner::Statement(std::uint64_t header) const {
    const auto found = m_statements.find(header);
    return found != m_statements.end() ? &found->second : nullptr;
}

CExecutionScanner::CCursor& CExecutionScanner::CursorOf(std::uint64_t cursor) {
    return m_cursors[CKey{m_contexts.Current(), cursor}];
}

void CExecutionScanner::Line(std::string_view line, std::uint64_t offset, std::int64_t number) {
    if (m_section.has_value()) {
        if (m_sectionReader.InValue() || !CBindSectionReader::EndsSection(line)) {
            m_sectionReader.Add(line);
            return;
        }
        CloseSection();
    }
    const bool blockStart = m_bBlockStart;
    m_bBlockStart = IsSeparatorLine(line);
    if (m_sqlOf.has_value()) {
        const std::size_t end = line.find(kEndOfStatement);
        m_strSql.append(line.substr(0, end));
        m_strSql += '\n';
        if (end != std::string_view::npos || m_bBlockStart) {
            CloseSql();
        }
    }
    if (line.starts_with("*** ")) {
        m_contexts.ReadHeaderLine(line);
        if (std::optional<CWallClock> clock = CWallClock::OfHeaderLine(line)) {
            m_headerClock = clock;
        }
        m_bInHeader = true;
        return;
    }
    EndHeader();
    if (m_bBlockStart) {
        return;
    }
    if (MayNameProcess(line)) {
        const std::uint32_t before = m_contexts.Current();
        m_contexts.ReadLine(line);
        NoteContext(before);
    }
    std::uint64_t cursor = 0;
    if (CursorAfter(line, kBinds, cursor)) {
        m_section = CKey{m_contexts.Current(), cursor};
        return;
    }
    if (blockStart &&
        (CursorAfter(line, kCursorHeader, cursor) || CursorAfter(line, kErrorHeader, cursor))) {
        ReadHeader(line, offset, cursor);
        return;
    }
    const CCursorLine kind = ClassifyLine(line);
    if (kind.kind != ETraceLine::Other) {
        Anchor(line, kind);
        ReadCall(line, kind.kind, kind.cursor, number);
    }
}

void CExecutionScanner::EndHeader() {
    if (std::exchange(m_bInHeader, false)) {
        const std::uint32_t before = m_contexts.Current();
        m_contexts.EndHeader();
        NoteContext(before);
        if (m_headerClock.has_value()) {
            ClockOf(m_contexts.Current()).pending = std::exchange(m_headerClock, std::nullopt);
        }
    }
}

CExecutionScanner::CClock& CExecutionScanner::ClockOf(std::uint32_t context) {
    if (m_clocks.size() <= context) {
        m_clocks.resize(context + 1);
    }
    return m_clocks[context];
}

// The first call or wait line with a tim after a time stamp of its context anchors it.
void CExecutionScanner::Anchor(std::string_view line, const CCursorLine& kind) {
    const std::uint32_t context = m_contexts.Current();
    if (context >= m_clocks.size() || !m_clocks[context].pending.has_value()) {
        return;
    }
    std::int64_t tim = 0;
    switch (kind.kind) {
    case ETraceLine::Parse:
    case ETraceLine::Exec:
    case ETraceLine::Fetch:
        tim = ReadCallLine(line, CallKindOf(kind.kind), kind.end).time;
        break;
    case ETraceLine::Close:
    case ETraceLine::Unmap:
    case ETraceLine::Lob:
        tim = ReadCloseLine(line).time;
        break;
    case ETraceLine::Wait:
        tim = ReadWaitLine(line, kind.end).time;
        break;
    default:
        return;
    }
    if (tim != 0) {
        CClock& clock = m_clocks[context];
        clock.anchorTim = tim;
        clock.anchor = std::exchange(clock.pending, std::nullopt);
    }
}

void CExecutionScanner::NoteContext(std::uint32_t before) {
    m_bContextSwitched =
        m_bContextSwitched || (!m_cursors.empty() && m_contexts.Current() != before);
}

void CExecutionScanner::Finish() {
    EndHeader();
    CloseSection();
    CloseSql();
}

void CExecutionScanner::CloseSection() {
    if (m_section.has_value()) {
        m_cursors[*m_section].pendingBinds.push_back(m_sectionReader.Finish());
        m_section.reset();
    }
}

void CExecutionScanner::CloseSql() {
    if (m_sqlOf.has_value()) {
        m_cursors[*m_sqlOf].placeholders = CBindSectionReader::Placeholders(m_strSql);
        m_sqlOf.reset();
        m_strSql.clear();
    }
}

// A header binds its cursor number to a new statement; bind sections written before it
// still wait for the cursor's next EXEC.
void CExecutionScanner::ReadHeader(std::string_view line, std::uint64_t offset,
                                   std::uint64_t cursor) {
    CCursor& state = CursorOf(cursor);
    if (state.bound != nullptr) {
        state.bound->rebound = true;
    }
    state.bound = nullptr;
    state.open = false;
    state.placeholders.clear();
    state.waits.clear();
    const auto found = m_statements.find(offset);
    if (found != m_statements.end()) {
        state.bound = &found->second;
        state.bound->headerRead = true;
    } else if (m_bAll) {
        state.bound = &m_statements[offset];
        state.bound->headerRead = true;
    }
    if (state.bound != nullptr && line.starts_with(kCursorHeader)) {
        m_sqlOf = CKey{m_contexts.Current(), cursor};
    }
}

void CExecutionScanner::ReadCall(std::string_view line, ETraceLine kind, std::uint64_t cursor,
                                 std::int64_t number) {
    if (kind != ETraceLine::Parse && kind != ETraceLine::Exec && kind != ETraceLine::Fetch &&
        kind != ETraceLine::Wait && kind != ETraceLine::Close && kind != ETraceLine::Unmap) {
        return;
    }
    if (kind == ETraceLine::Wait && m_bWaitHistograms) {
        const CWaitLine wait = ReadWaitLine(line);
        auto found = m_waitHistograms.find(wait.event);
        if (found == m_waitHistograms.end()) {
            found = m_waitHistograms.emplace(std::string(wait.event), CSkewHistogram()).first;
        }
        found->second.Add(wait.elapsed);
    }
    // A cursor no header or bind section named holds nothing to add to.
    const auto found = m_cursors.find(CKey{m_contexts.Current(), cursor});
    if (found == m_cursors.end()) {
        return;
    }
    CCursor& state = found->second;
    switch (kind) {
    case ETraceLine::Wait:
        if (state.bound != nullptr) {
            const CWaitLine wait = ReadWaitLine(line);
            const std::string_view event = *m_events.emplace(wait.event).first;
            state.waits.push_back({event, wait.elapsed, wait.time});
        }
        return;
    case ETraceLine::Exec:
        StartExecution(state, line, number);
        break;
    case ETraceLine::Fetch:
        AddFetch(state, line);
        break;
    case ETraceLine::Parse:
        state.open = false;
        break;
    default:
        break;
    }
    state.waits.clear();
}

// An EXEC takes the bind sections written since the cursor's previous EXEC, whatever
// statement they were written under.
void CExecutionScanner::StartExecution(CCursor& state, std::string_view line, std::int64_t number) {
    std::vector<CBindSet> binds = std::move(state.pendingBinds);
    state.pendingBinds.clear();
    if (state.bound == nullptr) {
        return;
    }
    CStatement& statement = *state.bound;
    const CCallLine call = ReadCallLine(line, ECallKind::Exec);
    CExecution& execution = statement.executions.emplace_back();
    execution.number = ++statement.execs;
    execution.line = number;
    execution.start = call.time - call.figures.elapsed;
    execution.end = call.time;
    const CClock& clock = ClockOf(m_contexts.Current());
    if (clock.anchor.has_value()) {
        execution.wall = clock.anchor->Plus(execution.start - clock.anchorTim);
    }
    execution.elapsed = call.figures.elapsed;
    execution.cpu = call.figures.cpu;
    execution.disk = call.figures.disk;
    execution.query = call.figures.query;
    execution.current = call.figures.current;
    execution.rows = call.figures.rows;
    execution.misses = call.figures.misses;
    execution.plh = PlanHashOf(line);
    for (CBindSet& set : binds) {
        CBindSectionReader::ResolveUndefined(set, state.placeholders);
    }
    execution.binds = std::move(binds);
    TakeWaits(state, execution);
    state.open = true;
}

void CExecutionScanner::AddFetch(CCursor& state, std::string_view line) {
    if (state.bound == nullptr) {
        return;
    }
    ++state.bound->fetches;
    if (!state.open) {
        return;
    }
    const CCallLine call = ReadCallLine(line, ECallKind::Fetch);
    CExecution& execution = state.bound->executions.back();
    execution.end = call.time;
    execution.elapsed = SaturatingAdd(execution.elapsed, call.figures.elapsed);
    execution.cpu = SaturatingAdd(execution.cpu, call.figures.cpu);
    execution.disk = SaturatingAdd(execution.disk, call.figures.disk);
    execution.query = SaturatingAdd(execution.query, call.figures.query);
    execution.current = SaturatingAdd(execution.current, call.figures.current);
    execution.rows = SaturatingAdd(execution.rows, call.figures.rows);
    ++execution.fetches;
    TakeWaits(state, execution);
}

// The waits written since the cursor's last call that end within the execution; a wait
// without a time stamp counts by where it stands.
void CExecutionScanner::TakeWaits(CCursor& state, CExecution& execution) {
    for (const CPendingWait& wait : state.waits) {
        if (wait.time != 0 && (wait.time < execution.start || wait.time > execution.end)) {
            continue;
        }
        auto found = std::find_if(execution.waits.begin(), execution.waits.end(),
                                  [&](const CExecutionWait& w) { return w.event == wait.event; });
        if (found == execution.waits.end()) {
            found = execution.waits.insert(execution.waits.end(), {std::string(wait.event)});
        }
        ++found->count;
        found->max = std::max(found->max, wait.elapsed);
        found->total = SaturatingAdd(found->total, wait.elapsed);
    }
    state.waits.clear();
}
