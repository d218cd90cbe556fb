#include "CExecutionTimes.h"

#include "PackedSum.h"
#include "Saturating.h"

#include <utility>

template <class TChange> void CExecutionTimes::Change(TChange change) {
    if (m_bFull) {
        change(m_full.Edit());
        return;
    }
    CFull full = Unpacked();
    change(full);
    Store(std::move(full));
}

void CExecutionTimes::Execute(std::int64_t elapsed) {
    Change([&](CFull& full) {
        Close(full);
        m_phase = EPhase::Running;
        full.open = elapsed;
    });
}

// Most fetches add to packed times in place.
void CExecutionTimes::Fetch(std::int64_t elapsed) {
    if (m_phase == EPhase::Idle) {
        return;
    }
    std::int32_t& sum = m_phase == EPhase::Start ? m_nLead : m_nOpen;
    if (!m_bFull && AddIn32Bits(sum, elapsed, sum)) {
        return;
    }
    Change([&](CFull& full) { Fetch(full, elapsed); });
}

void CExecutionTimes::Parse() {
    Change([&](CFull& full) {
        Close(full);
        m_phase = EPhase::Idle;
    });
}

void CExecutionTimes::Fetch(CFull& full, std::int64_t elapsed) const {
    if (m_phase == EPhase::Start) {
        full.lead = SaturatingAdd(full.lead, elapsed);
    } else if (m_phase == EPhase::Running) {
        full.open = SaturatingAdd(full.open, elapsed);
    }
}

void CExecutionTimes::Close(CFull& full) const {
    if (m_phase == EPhase::Running) {
        full.closed.Add(full.open);
        full.open = 0;
    }
}

void CExecutionTimes::Absorb(const CExecutionTimes& later) {
    CFull unpacked;
    const CFull& times = later.Full(unpacked);
    const EPhase phase = later.m_phase;
    Change([&](CFull& full) {
        Fetch(full, times.lead);
        if (phase != EPhase::Start) {
            Close(full);
            m_phase = phase;
            full.open = times.open;
        }
        full.closed.Merge(times.closed);
    });
}

// Packed times add to `all` without being unpacked first, as a walk over every statement
// adds each one's.
void CExecutionTimes::AddTo(CExecutionHistogram& all) const {
    if (m_bFull) {
        all.Merge(m_full.Get().closed);
    } else {
        all.AddInOneBucket(m_nCount, m_nMin, m_nMax);
    }
    if (m_phase == EPhase::Running) {
        all.Add(m_bFull ? m_full.Get().open : m_nOpen);
    }
}

bool CExecutionTimes::operator==(const CExecutionTimes& other) const {
    CFull unpacked;
    CFull otherUnpacked;
    return m_phase == other.m_phase && Full(unpacked) == other.Full(otherUnpacked);
}

CExecutionTimes::CFull CExecutionTimes::Unpacked() const {
    return {CExecutionHistogram::OfOneBucket(m_nCount, m_nMin, m_nMax), m_nLead, m_nOpen};
}

// The times in full: those kept apart, or else `unpacked` set to the packed ones.
const CExecutionTimes::CFull& CExecutionTimes::Full(CFull& unpacked) const {
    if (m_bFull) {
        return m_full.Get();
    }
    unpacked = Unpacked();
    return unpacked;
}

void CExecutionTimes::Store(CFull&& full) {
    const CExecutionHistogram& closed = full.closed;
    if (closed.InOneBucket() && FitsIn32Bits(closed.Count()) && FitsIn32Bits(closed.Min()) &&
        FitsIn32Bits(closed.Max()) && FitsIn32Bits(full.lead) && FitsIn32Bits(full.open)) {
        m_nCount = static_cast<std::int32_t>(closed.Count());
        m_nMin = static_cast<std::int32_t>(closed.Min());
        m_nMax = static_cast<std::int32_t>(closed.Max());
        m_nLead = static_cast<std::int32_t>(full.lead);
        m_nOpen = static_cast<std::int32_t>(full.open);
        return;
    }
    m_full.Edit() = std::move(full);
    m_bFull = true;
}
