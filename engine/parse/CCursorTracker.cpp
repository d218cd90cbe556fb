#include "CCursorTracker.h"

#include "CEventNames.h"
#include "TraceLines.h"
#include "TraceText.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

unsigned Bit(ECallKind kind) {
    return 1u << static_cast<unsigned>(kind);
}

// Set beside the call kinds Dispatch answers when the line is a call line in the layout
// servers write: its only "#" is its own cursor's, so no other call pattern stands in it.
constexpr unsigned kPlainCallLine = 1u << 8;

// Whether `prefix` ends just before position k of `text` and starts at or after `from`.
bool PrecededBy(std::string_view text, std::size_t from, std::size_t k, std::string_view prefix) {
    return k >= from + prefix.size() &&
           std::memcmp(text.data() + k - prefix.size(), prefix.data(), prefix.size()) == 0;
}

// Calls `place` with every position of `needle` in `text` at or after `from`. The places are
// found by the needle's last character, a cursor id's ":", which most lines hold once at most,
// where its "#" stands in many waits ("file#=", "obj#=").
template <typename F>
void ForEachPlace(std::string_view text, std::size_t from, std::string_view needle, F place) {
    if (needle.empty() || text.size() < from + needle.size()) {
        return;
    }
    const std::size_t head = needle.size() - 1;
    const char* p = text.data() + from + head;
    const char* const end = text.data() + text.size();
    while (const auto* last = static_cast<const char*>(
               std::memchr(p, needle.back(), static_cast<std::size_t>(end - p)))) {
        if (std::memcmp(last - head, needle.data(), head) == 0) {
            place(static_cast<std::size_t>(last - head - text.data()));
        }
        p = last + 1;
        if (p == end) {
            return;
        }
    }
}

} // namespace

std::uint64_t CCursorTracker::CBinding::Encode() const {
    const auto payload = kind == EKind::Record ? static_cast<std::uint64_t>(record) : serial;
    return static_cast<std::uint64_t>(kind) << 62 | static_cast<std::uint64_t>(recursive) << 61 |
           payload;
}

CCursorTracker::CBinding CCursorTracker::CBinding::Decode(std::uint64_t value) {
    CBinding binding;
    binding.kind = static_cast<EKind>(value >> 62);
    binding.recursive = (value >> 61 & 1) != 0;
    const std::uint64_t payload = value & ((std::uint64_t{1} << 61) - 1);
    if (binding.kind == EKind::Record) {
        binding.record = static_cast<std::size_t>(payload);
    } else if (binding.kind == EKind::Emitted) {
        binding.serial = payload;
    }
    return binding;
}

CCursorTracker::CCursorTracker(CHeaderReader headers, std::string pid,
                               std::shared_ptr<const CTraceFileSnapshot> file)
    : m_headers(std::move(headers)),
      m_file(CRecordContext::Make(std::move(pid), std::move(file), CSessionTags())) {
    SwitchTo({});
}

// Lines are cut at every run of CR and LF characters, so empty lines vanish. The search for
// a line's end also stops at a zero byte, so the text's bytes are looked at once.
void CCursorTracker::Feed(std::string_view text, std::uint64_t offset) {
    if (m_zeroAt.has_value()) {
        return;
    }
    m_pText = text.data();
    m_nTextOffset = offset;
    const char* const end = text.data() + text.size();
    const char* p = text.data();
    const FLineEndFinder findLineEnd = LineEndFinder();
    while (true) {
        while (p != end && IsBreak(*p)) {
            ++p;
        }
        const CLineEnd found = findLineEnd(p, end);
        const char* const lineEnd = found.end;
        if (lineEnd != p) {
            ReadLine(std::string_view(p, static_cast<std::size_t>(lineEnd - p)),
                     found.lastColon != nullptr ? static_cast<std::size_t>(found.lastColon - p)
                                                : std::string_view::npos);
        }
        if (lineEnd == end || *lineEnd == '\0') {
            if (lineEnd != end) {
                m_zeroAt = OffsetOf(std::string_view(lineEnd, 0));
            }
            FlushBlockLines();
            return;
        }
        p = lineEnd;
    }
}

void CCursorTracker::Finish() {
    if (m_header.open) {
        EndHeader();
    }
    CloseBlock();
    m_sqlTexts.Clear();
}

void CCursorTracker::CloseBlock() {
    FlushBlockLines();
    m_strPendingSql.clear();
    m_strNeedle.clear();
    m_block = {};
}

void CCursorTracker::ReadLine(std::string_view line, std::size_t lastColon) {
    if (IsSeparatorLine(line)) {
        if (line.front() == '*') {
            ReadHeaderLine(line);
        } else if (m_header.open) {
            EndHeader();
        }
        CloseBlock();
    } else if (!m_block.open) {
        StartBlock(line);
    } else {
        ContinueBlock(line, lastColon);
    }
}

// The first line of a block: a statement header binds its cursor number; any other line is
// an ordinary line of the file.
void CCursorTracker::StartBlock(std::string_view line) {
    // A "*** " line closes the block, so the first line after a header starts one.
    if (m_header.open) {
        EndHeader();
    }
    CloseBlock();
    m_block.open = true;
    CStatementRecord record;
    const CHeaderReader::CHeader header = m_headers.Read(line, record);
    if (header.kind == CHeaderReader::EHeader::None) {
        Dispatch(line, ClassifyLine(line));
        return;
    }
    m_block.statement = true;
    m_block.cursorBlock = line.starts_with("PARSING IN CURSOR");
    m_block.inSql = m_block.cursorBlock;
    m_strPendingSql.clear();
    CBinding binding;
    binding.recursive = header.depth > 0;
    if (header.kind == CHeaderReader::EHeader::Shown) {
        binding = {CBinding::EKind::Record, m_records.size(), 0, header.depth > 0};
        record.SetContext(m_pContext->record);
        m_block.shown = true;
        m_block.target = binding;
        if (m_block.cursorBlock) {
            m_strNeedle.assign(CHeaderReader::CursorIdOf(line));
            m_strNeedle += ':';
        }
        record.m_nBlockOffset = OffsetOf(line);
        record.m_nBlockBytes = line.size();
        m_records.push_back(std::move(record));
        if (m_file->File() == nullptr) {
            m_blockLines.push_back(line);
        } else {
            m_block.sqlInFile = m_block.cursorBlock;
        }
    }
    if (header.hasCursor) {
        m_pContext->bindings.Set(header.cursor, binding.Encode());
        m_pContext->lastBound = {};
    }
}

// A later line of the block: it belongs to the block's text, and like every line of the
// file it may be a line of any cursor. In the rest of a cursor block the call patterns of
// the block's own cursor count wherever they stand in the line.
void CCursorTracker::ContinueBlock(std::string_view line, std::size_t lastColon) {
    std::size_t endOfSql = std::string_view::npos;
    bool rest = m_block.cursorBlock && !m_block.inSql;
    std::size_t restFrom = 0;
    if (m_block.inSql) {
        endOfSql = line.find(kEndOfStatement);
        if (endOfSql != std::string_view::npos) {
            m_block.inSql = false;
            rest = true;
            restFrom = endOfSql + kEndOfStatement.size();
        }
    }
    if (m_block.shown) {
        AppendToBlock(line, endOfSql);
    }
    const CCursorLine kind = ClassifyLine(line);
    const unsigned counted = Dispatch(line, kind);
    if (m_block.shown && rest && (counted & kPlainCallLine) == 0) {
        // A cursor line's own "NAME #N" holds no call pattern of the block but its own call,
        // which Dispatch has counted: the search starts after it.
        CountCallsAnywhere(line, std::max(restFrom, kind.end), counted, lastColon);
    }
}

// The SQL text of a cursor block is what stands between its header and "END OF STMT" (none
// without it); a parse error's is every line after its header.
inline void CCursorTracker::AppendToBlock(std::string_view line, std::size_t endOfSql) {
    if (m_file->File() == nullptr) {
        m_blockLines.push_back(line);
    } else {
        CStatementRecord& record = m_records[m_block.target.record];
        record.m_nBlockBytes = OffsetOf(line) + line.size() - record.m_nBlockOffset;
    }
    if (!m_block.cursorBlock) {
        m_strPendingSql.append(line);
        m_strPendingSql += "\r\n";
        return;
    }
    if (!m_block.hasRest) {
        m_block.hasRest = true;
        if (m_block.target.kind == CBinding::EKind::Record) {
            m_records[m_block.target.record].m_bHasRest = true;
        } else {
            DeltaOf(m_block.target.serial).hasRest = true;
        }
    }
    if (m_block.sqlInFile) {
        // A piece of a plain file holds whole blocks, so the text lies in the file as it was read.
        if (endOfSql != std::string_view::npos) {
            m_records[m_block.target.record].LeaveSqlInFile();
        }
    } else if (endOfSql != std::string_view::npos) {
        m_strPendingSql.append(line.substr(0, endOfSql));
        AppendToSql(m_strPendingSql);
        m_strPendingSql.clear();
    } else if (m_block.inSql) {
        m_strPendingSql.append(line);
        m_strPendingSql += "\r\n";
    }
}

void CCursorTracker::AppendToSql(std::string_view text) {
    if (m_block.target.kind == CBinding::EKind::Record) {
        CStatementRecord& record = m_records[m_block.target.record];
        if (record.SqlCopy().empty()) {
            record.SetSql(m_sqlTexts.Share(text, record.HashValue()));
        } else {
            record.AppendSql(text);
        }
    } else {
        DeltaOf(m_block.target.serial).sqlAppend.append(text);
    }
}

// Copies the block's lines read so far into its record's text (or a delta of it) at once,
// each line followed by CR LF, so a block costs one allocation instead of one per line; so
// are the lines of a parse error's SQL text.
void CCursorTracker::FlushBlockLines() {
    if (!m_block.cursorBlock && !m_strPendingSql.empty()) {
        AppendToSql(m_strPendingSql);
        m_strPendingSql.clear();
    }
    if (m_blockLines.empty()) {
        return;
    }
    std::size_t bytes = 0;
    for (const std::string_view line : m_blockLines) {
        bytes += line.size() + 2;
    }
    std::string& text = m_block.target.kind == CBinding::EKind::Record
                            ? m_records[m_block.target.record].EditNode()
                            : DeltaOf(m_block.target.serial).nodeAppend;
    text.reserve(text.size() + bytes);
    for (const std::string_view line : m_blockLines) {
        text.append(line);
        text += "\r\n";
    }
    m_blockLines.clear();
}

// Gives a cursor's line to the statement its number is bound to in the current context, and
// every line of a kind the profile counts to the profile; a line naming a process switches to
// it. Answers the call kinds the line gave the open block's own record. `kind` is the line as
// ClassifyLine reads it.
unsigned CCursorTracker::Dispatch(std::string_view line, const CCursorLine& kind) {
    switch (kind.kind) {
    case ETraceLine::Other:
        if (MayNameProcess(line)) {
            if (const std::string_view process = ProcessOfLine(line); !process.empty()) {
                SwitchProcess(process);
            }
        }
        return 0;
    case ETraceLine::Close:
    case ETraceLine::Unmap:
    case ETraceLine::Lob:
    case ETraceLine::Xctend:
        AddToProfile(line, kind.kind);
        return 0;
    default:
        break;
    }
    COwner owner;
    CCursorFigures* sink = SinkOf(kind.cursor, owner);
    switch (kind.kind) {
    case ETraceLine::Stat:
        if (sink != nullptr) {
            CStatLine stat = ReadStatLine(line);
            if (m_file->File() == nullptr) {
                sink->AddPlanRow(stat.row, stat.operation);
            } else {
                stat.row.textOffset = stat.operation.empty() ? 0 : OffsetOf(stat.operation);
                stat.row.textLength = static_cast<std::uint32_t>(stat.operation.size());
                sink->AddPlanRow(stat.row);
            }
        }
        return 0;
    case ETraceLine::Wait: {
        const CWaitLine wait = ReadWaitLine(line, kind.end);
        const CEvent& event = EventOf(wait.event);
        if (sink != nullptr) {
            sink->AddWait(event.id, wait.elapsed);
        }
        const int depth = owner.leading ? -1 : owner.binding.recursive ? 1 : 0;
        m_profile.AddWait(Slice(), event.profileEvent, wait, depth);
        return 0;
    }
    case ETraceLine::Error: {
        const CErrorLine error = ReadErrorLine(line);
        if (sink != nullptr) {
            sink->AddError(error.error);
        }
        m_profile.AddError(Slice(), error);
        return 0;
    }
    default:
        break;
    }
    const ECallKind callKind = CallKindOf(kind.kind);
    const CCallLine call = ReadCallLine(line, callKind, kind.end);
    const auto depth = static_cast<std::size_t>(std::clamp<std::int64_t>(call.depth, 0, kMaxDepth));
    const std::vector<CFirstCall>& firstCalls = m_pContext->firstCalls;
    const bool first = depth >= firstCalls.size() || !firstCalls[depth].seen;
    const CSelfFigures recursive = TakeRecursive(call.figures, call.depth, callKind, owner);
    CSelfFigures self = CSelfFigures::Of(call.figures);
    self.Subtract(recursive);
    m_profile.AddCall(Slice(), static_cast<EProfileCall>(callKind), call);
    m_profile.AddCallTotals(depth > 0, callKind, call.figures, self);
    AddToCallTree(call, self, depth, first, RefOf(owner, kind.cursor), sink);
    if (sink == nullptr) {
        return 0;
    }
    sink->AddCall(callKind, call.figures);
    sink->AddRecursive(callKind, recursive);
    if (callKind == ECallKind::Exec) {
        sink->m_executions.Execute(call.figures.elapsed);
    } else if (callKind == ECallKind::Fetch) {
        sink->m_executions.Fetch(call.figures.elapsed);
    } else {
        sink->m_executions.Parse();
    }
    const bool own = m_block.shown && !owner.leading && owner.binding == m_block.target;
    return (own ? Bit(callKind) : 0) | (call.plain ? kPlainCallLine : 0);
}

// CLOSE, UNMAP and LOB calls count for the profile only, as do the ends of transactions.
void CCursorTracker::AddToProfile(std::string_view line, ETraceLine kind) {
    if (kind == ETraceLine::Xctend) {
        m_profile.AddTransaction(Slice(), ReadXctendLine(line));
        return;
    }
    const EProfileCall call = kind == ETraceLine::Close   ? EProfileCall::Close
                              : kind == ETraceLine::Unmap ? EProfileCall::Unmap
                                                          : EProfileCall::Lob;
    m_profile.AddCall(Slice(), call, ReadCloseLine(line));
}

// A "*** " line: a process switch, a session or another session tag of the header it belongs
// to, which applies when the header ends.
void CCursorTracker::ReadHeaderLine(std::string_view line) {
    ESessionTag tag = ESessionTag::Session;
    std::string_view value;
    if (const std::string_view process = ProcessOfLine(line); !process.empty()) {
        m_header.process = process;
    } else if (!CSessionTags::ReadLine(line, tag, value)) {
        return;
    } else if (tag == ESessionTag::Session) {
        m_header.session = value;
    } else {
        m_header.tags.emplace_back(tag, value);
    }
    m_header.open = true;
}

// The header ends: the lines after it come from its process (the current one unless it
// switches), in its session (the process's current one unless it names one), and its tags
// are that context's from now on.
void CCursorTracker::EndHeader() {
    CHeader header = std::exchange(m_header, {});
    if (header.process) {
        SwitchProcess(*header.process);
    }
    if (header.session) {
        CTraceContext key = m_pContext->key;
        key.session = std::move(header.session);
        SwitchTo(key);
    }
    if (header.tags.empty()) {
        return;
    }
    CSessionTags tags = m_pContext->record->Tags();
    for (const auto& [tag, value] : header.tags) {
        tags.Set(tag, value);
    }
    m_pContext->record = m_pContext->record->WithTags(tags);
    m_profile.SetTags(tags);
    m_nSlice = kNoSlice;
}

// The process's current context, or its first one with the session this text does not know.
void CCursorTracker::SwitchProcess(std::string_view process) {
    const auto known = m_processes.find(std::string(process));
    if (known != m_processes.end()) {
        SwitchTo(known->second->key);
    } else {
        SwitchTo({std::string(process), std::nullopt});
    }
}

void CCursorTracker::SwitchTo(const CTraceContext& key) {
    if (m_pContext != nullptr && m_pContext->key == key) {
        return;
    }
    CContextState*& state = m_contextIndex[key];
    if (state == nullptr) {
        state = &m_contexts.emplace_back();
        state->key = key;
        CSessionTags tags;
        if (key.session) {
            tags.Set(ESessionTag::Session, *key.session);
        }
        state->record = m_file->With(key.process, std::move(tags));
    }
    m_pContext = state;
    m_processes[key.process] = state;
    m_profile.SwitchTo(key);
    m_profile.SetTags(state->record->Tags());
    m_nSlice = kNoSlice;
}

inline std::size_t CCursorTracker::Slice() {
    if (m_nSlice == kNoSlice) {
        m_nSlice = m_profile.SliceOf(m_pContext->record->Tags());
    }
    return m_nSlice;
}

// The calls of the next depth written since the last call at this depth are the call's
// children; the first call at a depth of this text also gets those written before the text
// (a Carry node, resolved when the text before is known). At depth 0 the children go to the
// statement's tree; deeper, the call waits with its children for its parent call.
inline void CCursorTracker::AddToCallTree(const CCallLine& call, const CSelfFigures& self,
                                          std::size_t depth, bool first, CStatementRef statement,
                                          CCursorFigures* sink) {
    std::vector<std::vector<CCallTreeNode>>& pendingTree = m_pContext->pendingTree;
    if (pendingTree.size() <= depth) {
        pendingTree.resize(depth + 1);
    }
    std::vector<CCallTreeNode>& children = pendingTree[depth];
    if (first) {
        CCallTreeNode::Add(children, CCallTreeNode{{CStatementRef::EKind::Carry, depth}, {}, {}});
    }
    if (depth == 0) {
        if (children.empty()) {
            return;
        }
        if (sink != nullptr) {
            sink->EditCallTree().Add(std::exchange(children, {}));
        } else {
            children.clear();
        }
        return;
    }
    CCallTreeNode::Add(pendingTree[depth - 1],
                       CCallTreeNode{statement,
                                     {1, call.figures.elapsed, self.elapsed, self.cpu},
                                     std::exchange(children, {})});
}

CStatementRef CCursorTracker::RefOf(const COwner& owner, std::uint64_t cursor) {
    using EKind = CStatementRef::EKind;
    if (owner.leading) {
        return {EKind::Leading, cursor};
    }
    switch (owner.binding.kind) {
    case CBinding::EKind::Record:
        return {EKind::Local, owner.binding.record};
    case CBinding::EKind::Emitted:
        return {EKind::Serial, owner.binding.serial};
    default:
        return {EKind::Hidden, cursor};
    }
}

// The rule the list has always had for its own block: "PARSE <id>:", "EXEC <id>:" and
// "FETCH <id>:" count wherever they stand in a line of the rest, each kind once a line and
// never twice for a line that already counted as that call of the record. A pattern ends with
// the ":" of its id, so a line whose last ":" stands before the first place a pattern could
// end (most lines: a wait's only ":" is its own cursor's) is not searched.
inline void CCursorTracker::CountCallsAnywhere(std::string_view line, std::size_t from,
                                               unsigned counted, std::size_t lastColon) {
    const std::string_view needle = m_strNeedle;
    if (needle.empty() || lastColon == std::string_view::npos ||
        lastColon < from + needle.size() - 1) {
        return;
    }
    unsigned found = 0;
    ForEachPlace(line, from, needle, [&](std::size_t k) {
        found |= PrecededBy(line, from, k, "PARSE ") ? Bit(ECallKind::Parse) : 0;
        found |= PrecededBy(line, from, k, "EXEC ") ? Bit(ECallKind::Exec) : 0;
        found |= PrecededBy(line, from, k, "FETCH ") ? Bit(ECallKind::Fetch) : 0;
    });
    found &= ~counted;
    if (found == 0) {
        return;
    }
    CCursorFigures* sink = SinkOf(m_block.target);
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        if ((found & Bit(kind)) != 0) {
            sink->AddCall(kind, ReadCallLine(line, kind).figures);
        }
    }
}

// A call's own work is the call at depth d less the calls at depth d + 1 written since the
// previous call at depth d, whoever made them: answers those recursive calls' figures.
inline CSelfFigures CCursorTracker::TakeRecursive(const CCallFigures& call, std::int64_t depth,
                                                  ECallKind kind, const COwner& owner) {
    const auto d = static_cast<std::size_t>(std::clamp<std::int64_t>(depth, 0, kMaxDepth));
    std::vector<CSelfFigures>& pending = m_pContext->pending;
    std::vector<CFirstCall>& firstCalls = m_pContext->firstCalls;
    if (pending.size() <= d) {
        pending.resize(d + 1);
        firstCalls.resize(d + 1);
    }
    const CSelfFigures recursive = std::exchange(pending[d], {});
    if (!firstCalls[d].seen) {
        firstCalls[d] = {true, kind, owner};
    }
    if (d > 0) {
        pending[d - 1].Add(CSelfFigures::Of(call));
    }
    return recursive;
}

inline CCursorFigures* CCursorTracker::SinkOf(std::uint64_t cursor, COwner& owner) {
    CContextState& context = *m_pContext;
    CLastBound& last = context.lastBound;
    if (!last.known || cursor != last.cursor) {
        const std::uint64_t* bound = context.bindings.Find(cursor);
        last = {bound != nullptr, cursor, bound != nullptr ? *bound : 0};
    }
    if (last.known) {
        owner.binding = CBinding::Decode(last.binding);
        return SinkOf(owner.binding);
    }
    owner.leading = true;
    owner.cursor = cursor;
    bool added = false;
    const std::uint64_t index =
        context.leadingIndex.FindOrAdd(cursor, context.leading.size(), added);
    if (added) {
        context.leading.emplace_back(cursor, CCursorFigures{});
    }
    return &context.leading[index].second;
}

CCursorFigures* CCursorTracker::SinkOf(const CBinding& binding) {
    switch (binding.kind) {
    case CBinding::EKind::Record:
        return &m_records[binding.record];
    case CBinding::EKind::Emitted:
        return &DeltaOf(binding.serial).figures;
    default:
        return nullptr;
    }
}

CRecordDelta& CCursorTracker::DeltaOf(std::uint64_t serial) {
    bool added = false;
    const std::uint64_t index = m_deltaIndex.FindOrAdd(serial, m_deltas.size(), added);
    if (added) {
        m_deltas.emplace_back().serial = serial;
    }
    return m_deltas[index];
}

// Where a piece of the text being read stands in the file.
std::uint64_t CCursorTracker::OffsetOf(std::string_view text) const {
    return m_nTextOffset + static_cast<std::uint64_t>(text.data() - m_pText);
}

inline const CCursorTracker::CEvent& CCursorTracker::EventOf(std::string_view name) {
    auto known = std::find_if(m_events.begin(), m_events.end(),
                              [&](const CEvent& event) { return event.name == name; });
    if (known == m_events.end()) {
        known = m_events.insert(known, CEvent{std::string(name), CEventNames::Id(name)});
    }
    if (known->profileEvent == CEvent::kNotInProfile) {
        known->profileEvent = m_profile.EventOf(name);
    }
    return *known;
}

std::vector<CStatementRecord>
CCursorTracker::TakeRecords(const std::function<std::uint64_t()>& nextSerial) {
    std::vector<std::uint64_t> serials;
    serials.reserve(m_records.size());
    for (CStatementRecord& record : m_records) {
        record.m_nSerial = nextSerial();
        serials.push_back(record.m_nSerial);
    }
    const auto emit = [&](CBinding& binding) {
        if (binding.kind == CBinding::EKind::Record) {
            binding = {CBinding::EKind::Emitted, 0, serials[binding.record], binding.recursive};
        }
    };
    for (CContextState& context : m_contexts) {
        context.lastBound = {};
        context.bindings.ForEach([&](std::uint64_t, std::uint64_t& value) {
            CBinding binding = CBinding::Decode(value);
            emit(binding);
            value = binding.Encode();
        });
    }
    emit(m_block.target);
    ResolveHandedOver(serials);
    return std::exchange(m_records, {});
}

// The call trees name records by their position here until they are handed over; a live
// tracker read its file from the start, so nothing is carried into it and a number it found
// no header for is bound to no statement.
void CCursorTracker::ResolveHandedOver(const std::vector<std::uint64_t>& serials) {
    static const std::vector<CCallTreeNode> s_nothing;
    CCallTreeResolution resolution;
    resolution.statement = [&](const CStatementRef& ref) -> CStatementRef {
        if (ref.kind == CStatementRef::EKind::Local) {
            return {CStatementRef::EKind::Serial, serials[static_cast<std::size_t>(ref.value)]};
        }
        return {CStatementRef::EKind::Unbound, ref.value};
    };
    resolution.carried = [](std::size_t) { return &s_nothing; };
    resolution.carriedSelf = [](std::size_t) { return CSelfFigures{}; };
    for (CStatementRecord& record : m_records) {
        record.EditCallTree().Resolve(resolution);
    }
    for (CRecordDelta& delta : m_deltas) {
        delta.figures.EditCallTree().Resolve(resolution);
    }
    for (CContextState& context : m_contexts) {
        for (std::vector<CCallTreeNode>& pending : context.pendingTree) {
            resolution.Apply(pending, nullptr);
        }
    }
}

std::vector<CRecordDelta> CCursorTracker::TakeDeltas() {
    m_deltaIndex.Clear();
    return std::exchange(m_deltas, {});
}

CTraceProfile CCursorTracker::TakeProfile() {
    for (CContextState& context : m_contexts) {
        for (const auto& [cursor, figures] : context.leading) {
            m_profile.AddDepthWaits(false, figures.Waits());
        }
        context.leading.clear();
        context.leadingIndex.Clear();
    }
    m_nSlice = kNoSlice;
    for (CEvent& event : m_events) {
        event.profileEvent = CEvent::kNotInProfile;
    }
    return std::exchange(m_profile, CTraceProfile(m_pContext->key, m_pContext->record->Tags()));
}
