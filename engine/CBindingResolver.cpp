#include "CBindingResolver.h"

#include <algorithm>

void CBindingResolver::Add(CCursorTracker& piece, CRecordChunks& records,
                           const std::function<std::uint64_t()>& nextSerial) {
    const std::size_t base = records.Size();
    for (CStatementRecord& record : piece.Records()) {
        record.m_nSerial = nextSerial();
    }
    records.Add(std::move(piece.Records()));
    for (const auto& [cursor, figures] : piece.Leading()) {
        if (CCursorFigures* sink = SinkOf(cursor, records)) {
            sink->Absorb(figures);
        }
    }
    CorrectFirstCalls(piece, base, records);
    piece.Bindings().ForEach([&](std::uint64_t cursor, std::uint64_t value) {
        const CCursorTracker::CBinding binding = CCursorTracker::CBinding::Decode(value);
        const bool hidden = binding.kind == CCursorTracker::CBinding::EKind::Hidden;
        m_bindings.Set(cursor, hidden ? kHidden : base + binding.record);
    });
}

// The calls of depth d + 1 written before the piece, since the last call at depth d, belong
// to the piece's first call at depth d; a depth the piece has no call at carries them on.
void CBindingResolver::CorrectFirstCalls(const CCursorTracker& piece, std::size_t base,
                                         CRecordChunks& records) {
    const std::vector<CSelfFigures>& pending = piece.Pending();
    const std::vector<CCursorTracker::CFirstCall>& firstCalls = piece.FirstCalls();
    m_carry.resize(std::max(m_carry.size(), pending.size()));
    for (std::size_t d = 0; d < pending.size(); ++d) {
        const CCursorTracker::CFirstCall& first = firstCalls[d];
        if (!first.seen) {
            m_carry[d].Add(pending[d]);
            continue;
        }
        if (CCursorFigures* sink = SinkOf(first.owner, base, records)) {
            sink->AddRecursive(first.kind, m_carry[d]);
        }
        m_carry[d] = pending[d];
    }
}

CCursorFigures* CBindingResolver::SinkOf(std::uint64_t cursor, CRecordChunks& records) {
    const std::uint64_t* bound = m_bindings.Find(cursor);
    if (bound == nullptr) {
        return &m_unattributed;
    }
    return *bound == kHidden ? nullptr : &records.At(static_cast<std::size_t>(*bound));
}

CCursorFigures* CBindingResolver::SinkOf(const CCursorTracker::COwner& owner, std::size_t base,
                                         CRecordChunks& records) {
    if (owner.leading) {
        return SinkOf(owner.cursor, records);
    }
    if (owner.binding.kind == CCursorTracker::CBinding::EKind::Record) {
        return &records.At(base + owner.binding.record);
    }
    return nullptr;
}
