#include "CCursorFigures.h"

#include "IdleEvents.h"

#include <algorithm>

void CCursorFigures::AddCall(ECallKind kind, const CCallFigures& call) {
    CallsOf(kind).Add(call);
    CCallFigures total = call;
    total.misses = 0;
    m_total.Add(total);
}

void CCursorFigures::AddSelf(ECallKind kind, const CSelfFigures& self) {
    SelfOf(kind).Add(self);
}

void CCursorFigures::AddPlanRow(CPlanRow&& row) {
    if (HasPlanRow(row.id)) {
        return;
    }
    m_bPlanNumbered = m_bPlanNumbered && row.id == static_cast<std::int64_t>(m_plan.size()) + 1;
    m_plan.push_back(std::move(row));
}

void CCursorFigures::AddWait(std::string_view event, std::int64_t elapsed) {
    m_nWaited = SaturatingAdd(m_nWaited, elapsed);
    if (IsIdleEvent(event)) {
        m_nIdleWaited = SaturatingAdd(m_nIdleWaited, elapsed);
    }
    for (CWaitFigures& known : m_waits) {
        if (known.name == event) {
            ++known.count;
            known.max = std::max(known.max, elapsed);
            known.total = SaturatingAdd(known.total, elapsed);
            return;
        }
    }
    m_waits.push_back(CWaitFigures{std::string(event), 1, elapsed, elapsed});
}

void CCursorFigures::AddError(std::int64_t error) {
    CErrorCount::Add(m_errors, error, 1);
}

void CCursorFigures::Absorb(const CCursorFigures& later) {
    m_parse.Add(later.m_parse);
    m_exec.Add(later.m_exec);
    m_fetch.Add(later.m_fetch);
    m_total.Add(later.m_total);
    m_self.parse.Add(later.m_self.parse);
    m_self.exec.Add(later.m_self.exec);
    m_self.fetch.Add(later.m_self.fetch);
    for (const CPlanRow& row : later.m_plan) {
        AddPlanRow(CPlanRow(row));
    }
    for (const CWaitFigures& waits : later.m_waits) {
        AddWaits(waits);
    }
    m_nWaited = SaturatingAdd(m_nWaited, later.m_nWaited);
    m_nIdleWaited = SaturatingAdd(m_nIdleWaited, later.m_nIdleWaited);
    m_executions.Absorb(later.m_executions);
    CErrorCount::Add(m_errors, later.m_errors);
    CCallTreeNode::Add(m_callTree, std::vector<CCallTreeNode>(later.m_callTree));
}

bool CCursorFigures::IsEmpty() const {
    return m_total.count == 0 && m_plan.empty() && m_waits.empty() && m_self == CSelfCalls{} &&
           m_errors.empty() && m_callTree.empty();
}

CCallFigures& CCursorFigures::CallsOf(ECallKind kind) {
    switch (kind) {
    case ECallKind::Parse:
        return m_parse;
    case ECallKind::Exec:
        return m_exec;
    default:
        return m_fetch;
    }
}

CSelfFigures& CCursorFigures::SelfOf(ECallKind kind) {
    switch (kind) {
    case ECallKind::Parse:
        return m_self.parse;
    case ECallKind::Exec:
        return m_self.exec;
    default:
        return m_self.fetch;
    }
}

void CCursorFigures::AddWaits(const CWaitFigures& waits) {
    const auto it = std::find_if(m_waits.begin(), m_waits.end(), [&](const CWaitFigures& known) {
        return known.name == waits.name;
    });
    if (it == m_waits.end()) {
        m_waits.push_back(waits);
        return;
    }
    it->count = SaturatingAdd(it->count, waits.count);
    it->max = std::max(it->max, waits.max);
    it->total = SaturatingAdd(it->total, waits.total);
}

bool CCursorFigures::HasPlanRow(std::int64_t id) const {
    if (m_bPlanNumbered) {
        return id >= 1 && static_cast<std::uint64_t>(id) <= m_plan.size();
    }
    return std::any_of(m_plan.begin(), m_plan.end(),
                       [id](const CPlanRow& row) { return row.id == id; });
}
