#include "CBindingResolver.h"

#include <algorithm>
#include <utility>

void CBindingResolver::Add(CCursorTracker& piece,
                           const std::function<std::uint64_t()>& nextSerial) {
    const std::uint64_t base = m_nFileRecords;
    for (CStatementRecord& record : piece.Records()) {
        record.m_nSerial = nextSerial();
        if (m_nFileRecords++ == 0) {
            m_nFirstSerial = record.m_nSerial;
        }
    }
    std::vector<CTraceContext> resolved;
    for (const CCursorTracker::CContextState& context : piece.Contexts()) {
        resolved.push_back(m_profile.Resolve(context.key, piece.Profile()));
    }
    const std::vector<std::vector<std::size_t>> records = ResolveContexts(piece, resolved);
    if (m_nHandedOver == base && m_nFirstHeld == 0) {
        m_nFirstHeld = m_records.Size();
    }
    m_records.Add(std::move(piece.Records()));
    for (std::size_t c = 0; c < piece.Contexts().size(); ++c) {
        JoinContext(piece, piece.Contexts()[c], m_contexts[resolved[c]], records[c], base);
    }
    m_profile.Append(piece.Profile());
}

void CBindingResolver::RecordsHandedOver() {
    m_nHandedOver = m_nFileRecords;
    m_nFirstHeld = 0;
}

std::vector<CRecordDelta> CBindingResolver::TakeDeltas() {
    m_deltaIndex.Clear();
    return std::exchange(m_deltas, {});
}

// A piece's records were made in its contexts as the piece states them, under the tags its
// own lines set; they take their context as resolved, and the tags their context had where
// it began in the piece for the others (the tags of the file's context before the piece, or
// of an earlier context of the piece that is the same context of the file). Answers the
// positions of each context's records among the piece's.
std::vector<std::vector<std::size_t>>
CBindingResolver::ResolveContexts(CCursorTracker& piece,
                                  const std::vector<CTraceContext>& resolved) const {
    const std::deque<CCursorTracker::CContextState>& contexts = piece.Contexts();
    std::map<CTraceContext, std::size_t> numbers;
    std::vector<CSessionTags> before;
    std::map<CTraceContext, CSessionTags> running;
    for (const CCursorTracker::CContextState& context : contexts) {
        const std::size_t c = numbers.size();
        numbers.emplace(context.key, c);
        auto tags = running.find(resolved[c]);
        if (tags == running.end()) {
            tags = running.emplace(resolved[c], m_profile.EndTags(resolved[c])).first;
        }
        before.push_back(tags->second);
        tags->second = context.record->Tags().After(before.back());
    }
    std::vector<std::vector<std::size_t>> records(contexts.size());
    const CRecordContext* source = nullptr; // records made under the same tags share them
    std::size_t number = 0;
    CRecordContextRef made;
    std::vector<CStatementRecord>& pieceRecords = piece.Records();
    for (std::size_t i = 0; i < pieceRecords.size(); ++i) {
        CStatementRecord& record = pieceRecords[i];
        const CRecordContext& context = record.Context();
        if (&context != source) {
            source = &context;
            const CTraceContext key = context.Trace();
            number = numbers.at(key);
            const bool known = key == resolved[number] && context.Tags().AllKnown();
            made = known ? CRecordContextRef()
                         : context.With(resolved[number].process,
                                        context.Tags().After(before[number]));
        }
        records[number].push_back(i);
        if (made.Get() != nullptr) {
            record.SetContext(made);
        }
    }
    return records;
}

// One context of the piece joins the context of the file it is: trees, leading lines, first
// calls, then its bindings.
void CBindingResolver::JoinContext(CCursorTracker& piece, CCursorTracker::CContextState& context,
                                   CJoinedContext& joined, const std::vector<std::size_t>& records,
                                   std::uint64_t base) {
    ResolveCallTrees(context, joined, records, base);
    AddLeadingWaits(context, joined);
    for (const auto& [cursor, figures] : context.leading) {
        if (CCursorFigures* sink = SinkOf(joined, cursor)) {
            sink->Absorb(figures);
        }
    }
    CorrectFirstCalls(piece, context, joined, base);
    context.bindings.ForEach([&](std::uint64_t cursor, std::uint64_t value) {
        const CCursorTracker::CBinding binding = CCursorTracker::CBinding::Decode(value);
        const bool hidden = binding.kind == CCursorTracker::CBinding::EKind::Hidden;
        joined.bindings.Set(cursor, (hidden ? kHidden : base + binding.record) |
                                        (binding.recursive ? kRecursive : 0));
    });
}

// The context's trees name the piece's records by position and other records by cursor
// number; they become serials of the records the numbers were bound to in the context before
// the piece. The calls carried from before become children of the context's first call at
// their depth.
void CBindingResolver::ResolveCallTrees(CCursorTracker::CContextState& context,
                                        CJoinedContext& joined,
                                        const std::vector<std::size_t>& records,
                                        std::uint64_t base) {
    CCallTreeResolution resolution;
    resolution.statement = [&](const CStatementRef& ref) -> CStatementRef {
        using EKind = CStatementRef::EKind;
        if (ref.kind == EKind::Local) {
            return {EKind::Serial, m_nFirstSerial + base + ref.value};
        }
        const CBound bound = Find(joined, ref.value);
        if (!bound.bound) {
            return {EKind::Unbound, ref.value};
        }
        return bound.hidden ? CStatementRef{EKind::Hidden, ref.value}
                            : CStatementRef{EKind::Serial, m_nFirstSerial + bound.record};
    };
    resolution.carried = [&](std::size_t depth) {
        return depth < joined.treeCarry.size() ? &joined.treeCarry[depth] : nullptr;
    };
    resolution.carriedSelf = [&](std::size_t depth) {
        return depth < joined.carry.size() ? joined.carry[depth] : CSelfFigures{};
    };
    for (const std::size_t record : records) {
        RecordAt(base + record)->EditCallTree().Resolve(resolution);
    }
    for (auto& [cursor, figures] : context.leading) {
        figures.EditCallTree().Resolve(resolution);
    }
    std::vector<std::vector<CCallTreeNode>>& pending = context.pendingTree;
    for (std::vector<CCallTreeNode>& nodes : pending) {
        resolution.Apply(nodes, nullptr);
    }
    const std::vector<CCursorTracker::CFirstCall>& firstCalls = context.firstCalls;
    joined.treeCarry.resize(std::max(joined.treeCarry.size(), pending.size()));
    for (std::size_t d = 0; d < pending.size(); ++d) {
        if (d < firstCalls.size() && firstCalls[d].seen) {
            joined.treeCarry[d] = std::move(pending[d]);
        } else {
            CCallTreeNode::Add(joined.treeCarry[d], std::move(pending[d]));
        }
    }
}

// The waits of cursors not bound in the piece's context count at the depth of the statement
// bound before it, or at depth 0.
void CBindingResolver::AddLeadingWaits(const CCursorTracker::CContextState& context,
                                       const CJoinedContext& joined) {
    for (const auto& [cursor, figures] : context.leading) {
        const std::vector<CWaitFigures> waits = figures.Waits();
        if (!waits.empty()) {
            m_profile.AddDepthWaits(Find(joined, cursor).recursive, waits);
        }
    }
}

// The calls of depth d + 1 of the context written before the piece, since its last call at
// depth d, belong to the context's first call at depth d in the piece; a depth it has no
// call at carries them on.
void CBindingResolver::CorrectFirstCalls(CCursorTracker& piece,
                                         const CCursorTracker::CContextState& context,
                                         CJoinedContext& joined, std::uint64_t base) {
    const std::vector<CSelfFigures>& pending = context.pending;
    const std::vector<CCursorTracker::CFirstCall>& firstCalls = context.firstCalls;
    joined.carry.resize(std::max(joined.carry.size(), pending.size()));
    for (std::size_t d = 0; d < pending.size(); ++d) {
        const CCursorTracker::CFirstCall& first = firstCalls[d];
        if (!first.seen) {
            joined.carry[d].Add(pending[d]);
            continue;
        }
        if (CCursorFigures* sink = SinkOf(joined, first.owner, base)) {
            sink->AddRecursive(first.kind, joined.carry[d]);
        }
        piece.Profile().CorrectFirstCall(d > 0, first.kind, joined.carry[d]);
        joined.carry[d] = pending[d];
    }
}

CBindingResolver::CBound CBindingResolver::Find(const CJoinedContext& joined,
                                                std::uint64_t cursor) {
    const std::uint64_t* value = joined.bindings.Find(cursor);
    if (value == nullptr) {
        return {};
    }
    return {true, (*value & kHidden) != 0, (*value & kRecursive) != 0, *value & (kRecursive - 1)};
}

CCursorFigures* CBindingResolver::SinkOf(const CJoinedContext& joined, std::uint64_t cursor) {
    const CBound bound = Find(joined, cursor);
    if (!bound.bound) {
        return &m_unattributed;
    }
    return bound.hidden ? nullptr : RecordAt(bound.record);
}

CCursorFigures* CBindingResolver::SinkOf(const CJoinedContext& joined,
                                         const CCursorTracker::COwner& owner, std::uint64_t base) {
    if (owner.leading) {
        return SinkOf(joined, owner.cursor);
    }
    if (owner.binding.kind == CCursorTracker::CBinding::EKind::Record) {
        return RecordAt(base + owner.binding.record);
    }
    return nullptr;
}

// A record still held, or the delta of one handed over.
CCursorFigures* CBindingResolver::RecordAt(std::uint64_t index) {
    if (index >= m_nHandedOver) {
        return &m_records.At(m_nFirstHeld + static_cast<std::size_t>(index - m_nHandedOver));
    }
    const std::uint64_t serial = m_nFirstSerial + index;
    bool added = false;
    const std::uint64_t position = m_deltaIndex.FindOrAdd(serial, m_deltas.size(), added);
    if (added) {
        m_deltas.emplace_back().serial = serial;
    }
    return &m_deltas[position].figures;
}
