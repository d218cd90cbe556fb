#include "CCursorFigures.h"

#include "CEventNames.h"
#include "IdleEvents.h"

#include <algorithm>

void CCursorFigures::AddCall(ECallKind kind, const CCallFigures& call) {
    if (!m_bWideCalls && m_calls.Add(kind, call)) {
        return;
    }
    std::array<CCallFigures, 3>& wide = m_rare.Edit().wideCalls.Edit();
    if (!m_bWideCalls) {
        wide = {m_calls.Of(ECallKind::Parse), m_calls.Of(ECallKind::Exec),
                m_calls.Of(ECallKind::Fetch)};
        m_calls = {};
        m_bWideCalls = true;
    }
    wide[static_cast<std::size_t>(kind)].Add(call);
}

void CCursorFigures::AddRecursive(ECallKind kind, const CSelfFigures& recursive) {
    m_recursive.Add(kind, recursive);
}

CCallFigures CCursorFigures::Total() const {
    const CCallFigures exec = Exec();
    const CCallFigures fetch = Fetch();
    CCallFigures total = Parse();
    total.Add(exec);
    total.Add(fetch);
    total.misses = 0;
    total.rows = SaturatingAdd(exec.rows, fetch.rows);
    return total;
}

CSelfCalls CCursorFigures::Self() const {
    CSelfCalls self;
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        CSelfFigures& figures = kind == ECallKind::Parse  ? self.parse
                                : kind == ECallKind::Exec ? self.exec
                                                          : self.fetch;
        figures = CSelfFigures::Of(CallsOf(kind));
        figures.Subtract(m_recursive.Of(kind));
    }
    return self;
}

std::int64_t CCursorFigures::WaitTime(bool excludeIdle) const {
    std::int64_t time = 0;
    for (const CWaitFigures& waits : m_waits) {
        if (!excludeIdle || !IsIdleEvent(CEventNames::Name(waits.event))) {
            time = SaturatingAdd(time, waits.total);
        }
    }
    return time;
}

void CCursorFigures::AddPlanRow(const CPlanRow& row) {
    if (HasPlanRow(row.id)) {
        return;
    }
    m_bPlanNumbered = m_bPlanNumbered && row.id == static_cast<std::int64_t>(m_plan.size()) + 1;
    m_plan.push_back(row);
}

void CCursorFigures::AddPlanRow(CPlanRow row, std::string_view text) {
    if (HasPlanRow(row.id)) {
        return;
    }
    CRare& rare = m_rare.Edit();
    rare.planTextsCopied = true;
    row.textOffset = rare.planTexts.size();
    row.textLength = static_cast<std::uint32_t>(text.size());
    rare.planTexts.append(text);
    AddPlanRow(row);
}

void CCursorFigures::CopyPlanTexts(const std::vector<std::string>& operations) {
    CRare& rare = m_rare.Edit();
    rare.planTexts.clear();
    rare.planTextsCopied = !m_plan.empty();
    for (std::size_t i = 0; i < m_plan.size(); ++i) {
        m_plan[i].textOffset = rare.planTexts.size();
        m_plan[i].textLength = static_cast<std::uint32_t>(operations[i].size());
        rare.planTexts += operations[i];
    }
}

void CCursorFigures::AddWait(std::uint32_t event, std::int64_t elapsed) {
    AddWaits(CWaitFigures{event, 1, elapsed, elapsed});
}

void CCursorFigures::AddError(std::int64_t error) {
    CErrorCount::Add(m_rare.Edit().errors, error, 1);
}

void CCursorFigures::Absorb(const CCursorFigures& later) {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        AddCall(kind, later.CallsOf(kind));
    }
    m_recursive.Add(later.m_recursive);
    const std::uint64_t textBase = PlanTexts().size();
    if (later.PlanTextsCopied()) {
        m_rare.Edit().planTextsCopied = true;
        m_rare.Edit().planTexts += later.PlanTexts();
    }
    for (CPlanRow row : later.m_plan) {
        row.textOffset += later.PlanTextsCopied() ? textBase : 0;
        AddPlanRow(row);
    }
    for (const CWaitFigures& waits : later.m_waits) {
        AddWaits(waits);
    }
    m_executions.Absorb(later.m_executions);
    if (!later.Errors().empty()) {
        CErrorCount::Add(m_rare.Edit().errors, later.Errors());
    }
    CCallTreeNode::Add(m_callTree, std::vector<CCallTreeNode>(later.m_callTree));
}

bool CCursorFigures::operator==(const CCursorFigures& other) const {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        if (CallsOf(kind) != other.CallsOf(kind)) {
            return false;
        }
    }
    return m_recursive == other.m_recursive && m_plan == other.m_plan && m_waits == other.m_waits &&
           m_executions == other.m_executions && m_callTree == other.m_callTree &&
           PlanTexts() == other.PlanTexts() && PlanTextsCopied() == other.PlanTextsCopied() &&
           Errors() == other.Errors() && m_bPlanNumbered == other.m_bPlanNumbered;
}

void CCursorFigures::AddWaits(const CWaitFigures& waits) {
    const auto it = std::find_if(m_waits.begin(), m_waits.end(), [&](const CWaitFigures& known) {
        return known.event == waits.event;
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
