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
    ResolveTags(piece.Records());
    ResolveCallTrees(piece, base);
    if (m_nHandedOver == base && m_nFirstHeld == 0) {
        m_nFirstHeld = m_records.Size();
    }
    m_records.Add(std::move(piece.Records()));
    AddLeadingWaits(piece);
    for (const auto& [cursor, figures] : piece.Leading()) {
        if (CCursorFigures* sink = SinkOf(cursor)) {
            sink->Absorb(figures);
        }
    }
    CorrectFirstCalls(piece, base);
    m_profile.Append(piece.Profile());
    piece.Bindings().ForEach([&](std::uint64_t cursor, std::uint64_t value) {
        const CCursorTracker::CBinding binding = CCursorTracker::CBinding::Decode(value);
        const bool hidden = binding.kind == CCursorTracker::CBinding::EKind::Hidden;
        m_bindings.Set(cursor, (hidden ? kHidden : base + binding.record) |
                                   (binding.recursive ? kRecursive : 0));
    });
}

void CBindingResolver::RecordsHandedOver() {
    m_nHandedOver = m_nFileRecords;
    m_nFirstHeld = 0;
}

std::vector<CRecordDelta> CBindingResolver::TakeDeltas() {
    m_deltaIndex.Clear();
    return std::exchange(m_deltas, {});
}

// A piece's records were made under the tags its own lines set; the others are those current
// where the piece begins.
void CBindingResolver::ResolveTags(std::vector<CStatementRecord>& records) const {
    const CSessionTags& before = m_profile.EndTags();
    const CRecordContext* source = nullptr; // records made under the same tags share them
    CRecordContextRef resolved;
    for (CStatementRecord& record : records) {
        const CRecordContext& context = record.Context();
        if (context.Tags().AllKnown()) {
            continue;
        }
        if (&context != source) {
            source = &context;
            resolved = context.WithTags(context.Tags().After(before));
        }
        record.SetContext(resolved);
    }
}

// The piece's trees name its own records by position and other records by cursor number;
// they become serials of the records the numbers were bound to before the piece. The calls
// carried from the pieces before become children of the piece's first call at their depth.
void CBindingResolver::ResolveCallTrees(CCursorTracker& piece, std::uint64_t base) {
    CCallTreeResolution resolution;
    resolution.statement = [&](const CStatementRef& ref) -> CStatementRef {
        using EKind = CStatementRef::EKind;
        if (ref.kind == EKind::Local) {
            return {EKind::Serial, m_nFirstSerial + base + ref.value};
        }
        const CBound bound = Find(ref.value);
        if (!bound.bound) {
            return {EKind::Unbound, ref.value};
        }
        return bound.hidden ? CStatementRef{EKind::Hidden, ref.value}
                            : CStatementRef{EKind::Serial, m_nFirstSerial + bound.record};
    };
    resolution.carried = [&](std::size_t depth) {
        return depth < m_treeCarry.size() ? &m_treeCarry[depth] : nullptr;
    };
    resolution.carriedSelf = [&](std::size_t depth) {
        return depth < m_carry.size() ? m_carry[depth] : CSelfFigures{};
    };
    for (CStatementRecord& record : piece.Records()) {
        record.EditCallTree().Resolve(resolution);
    }
    for (auto& [cursor, figures] : piece.Leading()) {
        figures.EditCallTree().Resolve(resolution);
    }
    std::vector<std::vector<CCallTreeNode>>& pending = piece.PendingTree();
    for (std::vector<CCallTreeNode>& nodes : pending) {
        resolution.Apply(nodes, nullptr);
    }
    const std::vector<CCursorTracker::CFirstCall>& firstCalls = piece.FirstCalls();
    m_treeCarry.resize(std::max(m_treeCarry.size(), pending.size()));
    for (std::size_t d = 0; d < pending.size(); ++d) {
        if (d < firstCalls.size() && firstCalls[d].seen) {
            m_treeCarry[d] = std::move(pending[d]);
        } else {
            CCallTreeNode::Add(m_treeCarry[d], std::move(pending[d]));
        }
    }
}

// The waits of cursors not bound in the piece count at the depth of the statement bound
// before it, or at depth 0.
void CBindingResolver::AddLeadingWaits(CCursorTracker& piece) {
    for (const auto& [cursor, figures] : piece.Leading()) {
        const std::vector<CWaitFigures> waits = figures.Waits();
        if (!waits.empty()) {
            m_profile.AddDepthWaits(Find(cursor).recursive, waits);
        }
    }
}

// The calls of depth d + 1 written before the piece, since the last call at depth d, belong
// to the piece's first call at depth d; a depth the piece has no call at carries them on.
void CBindingResolver::CorrectFirstCalls(CCursorTracker& piece, std::uint64_t base) {
    const std::vector<CSelfFigures>& pending = piece.Pending();
    const std::vector<CCursorTracker::CFirstCall>& firstCalls = piece.FirstCalls();
    m_carry.resize(std::max(m_carry.size(), pending.size()));
    for (std::size_t d = 0; d < pending.size(); ++d) {
        const CCursorTracker::CFirstCall& first = firstCalls[d];
        if (!first.seen) {
            m_carry[d].Add(pending[d]);
            continue;
        }
        if (CCursorFigures* sink = SinkOf(first.owner, base)) {
            sink->AddRecursive(first.kind, m_carry[d]);
        }
        piece.Profile().CorrectFirstCall(d > 0, first.kind, m_carry[d]);
        m_carry[d] = pending[d];
    }
}

CBindingResolver::CBound CBindingResolver::Find(std::uint64_t cursor) const {
    const std::uint64_t* value = m_bindings.Find(cursor);
    if (value == nullptr) {
        return {};
    }
    return {true, (*value & kHidden) != 0, (*value & kRecursive) != 0, *value & (kRecursive - 1)};
}

CCursorFigures* CBindingResolver::SinkOf(std::uint64_t cursor) {
    const CBound bound = Find(cursor);
    if (!bound.bound) {
        return &m_unattributed;
    }
    return bound.hidden ? nullptr : RecordAt(bound.record);
}

CCursorFigures* CBindingResolver::SinkOf(const CCursorTracker::COwner& owner, std::uint64_t base) {
    if (owner.leading) {
        return SinkOf(owner.cursor);
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
