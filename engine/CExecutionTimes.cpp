#include "CExecutionTimes.h"

#include "Saturating.h"

void CExecutionTimes::Execute(std::int64_t elapsed) {
    Close();
    m_phase = EPhase::Running;
    m_nOpen = elapsed;
}

void CExecutionTimes::Fetch(std::int64_t elapsed) {
    if (m_phase == EPhase::Start) {
        m_nLead = SaturatingAdd(m_nLead, elapsed);
    } else if (m_phase == EPhase::Running) {
        m_nOpen = SaturatingAdd(m_nOpen, elapsed);
    }
}

void CExecutionTimes::Parse() {
    Close();
    m_phase = EPhase::Idle;
}

void CExecutionTimes::Close() {
    if (m_phase == EPhase::Running) {
        m_closed.Add(m_nOpen);
        m_nOpen = 0;
    }
}

void CExecutionTimes::Absorb(const CExecutionTimes& later) {
    Fetch(later.m_nLead);
    if (later.m_phase != EPhase::Start) {
        Close();
        m_phase = later.m_phase;
        m_nOpen = later.m_nOpen;
    }
    m_closed.Merge(later.m_closed);
}

void CExecutionTimes::AddTo(CExecutionHistogram& all) const {
    all.Merge(m_closed);
    if (m_phase == EPhase::Running) {
        all.Add(m_nOpen);
    }
}
