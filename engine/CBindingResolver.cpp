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
    if (m_nHandedOver == base && m_nFirstHeld == 0) {
        m_nFirstHeld = m_records.Size();
    }
    m_records.Add(std::move(piece.Records()));
    for (const auto& [cursor, figures] : piece.Leading()) {
        if (CCursorFigures* sink = SinkOf(cursor)) {
            sink->Absorb(figures);
        }
    }
    CorrectFirstCalls(piece, base);
    piece.Bindings().ForEach([&](std::uint64_t cursor, std::uint64_t value) {
        const CCursorTracker::CBinding binding = CCursorTracker::CBinding::Decode(value);
        const bool hidden = binding.kind == CCursorTracker::CBinding::EKind::Hidden;
        m_bindings.Set(cursor, hidden ? kHidden : base + binding.record);
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

// The calls of depth d + 1 written before the piece, since the last call at depth d, belong
// to the piece's first call at depth d; a depth the piece has no call at carries them on.
void CBindingResolver::CorrectFirstCalls(const CCursorTracker& piece, std::uint64_t base) {
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
        m_carry[d] = pending[d];
    }
}

CCursorFigures* CBindingResolver::SinkOf(std::uint64_t cursor) {
    const std::uint64_t* bound = m_bindings.Find(cursor);
    if (bound == nullptr) {
        return &m_unattributed;
    }
    return *bound == kHidden ? nullptr : RecordAt(*bound);
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
