#include "CCursorFigures.h"

#include "CEventNames.h"
#include "IdleEvents.h"

#include <algorithm>

void CCursorFigures::AddCall(ECallKind kind, const CCallFigures& call) {
    if (!m_bWideCalls && m_calls.Add(kind, call)) {
        return;
    }
    std::array<CCallFigures, 3>& wide = EditWide().calls;
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
    if (!m_bWideCalls) {
        return m_calls.Total();
    }
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

// Packed calls and recursive figures are 32-bit values: no sum or difference of six of them
// reaches the ends of the 64-bit range, so leaving out the saturating steps changes nothing.
CSelfFigures CCursorFigures::SelfTotal() const {
    if (m_bWideCalls || !m_recursive.IsPacked()) {
        return Self().Total();
    }
    CSelfFigures total = CSelfFigures::Of(m_calls.Total());
    total.Subtract(m_recursive.PackedTotal());
    return total;
}

std::int64_t CCursorFigures::WaitTime(bool excludeIdle) const {
    std::int64_t time = 0;
    const std::vector<CWaitFigures>& spilled = m_rare.Get().wide.Get().waits;
    for (std::size_t i = 0; i < m_waits.Size(); ++i) {
        const CWaitFigures waits = m_waits.At(i, spilled);
        if (!excludeIdle || !IsIdleEvent(CEventNames::Name(waits.event))) {
            time = SaturatingAdd(time, waits.total);
        }
    }
    return time;
}

std::vector<CPlanRow> CCursorFigures::Plan() const {
    return m_plan.Unpacked(m_rare.Get().wide.Get().planRows);
}

std::vector<CWaitFigures> CCursorFigures::Waits() const {
    return m_waits.Unpacked(m_rare.Get().wide.Get().waits);
}

// A row of an id the first dump has starts a later dump; every row after it belongs to one.
void CCursorFigures::AddPlanRow(const CPlanRow& row) {
    if (!m_rare.Get().laterPlan.IsEmpty() || HasPlanRow(row.id)) {
        CPackedVector<CPackedPlanRow>& later = m_rare.Edit().laterPlan;
        later.Put(later.Size(), row,
                  [this]() -> std::vector<CPlanRow>& { return EditWide().planRows; });
        return;
    }
    m_bPlanNumbered = m_bPlanNumbered && row.id == static_cast<std::int64_t>(m_plan.Size()) + 1;
    PutPlanRow(m_plan.Size(), row);
}

void CCursorFigures::AddPlanRow(CPlanRow row, std::string_view text) {
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
    rare.planTextsCopied = !m_plan.IsEmpty();
    const auto copy = [&rare, &operations](std::size_t index, CPlanRow row) {
        row.textOffset = rare.planTexts.size();
        row.textLength = static_cast<std::uint32_t>(operations[index].size());
        rare.planTexts += operations[index];
        return row;
    };
    for (std::size_t i = 0; i < m_plan.Size(); ++i) {
        PutPlanRow(i, copy(i, PlanRow(i)));
    }
    const std::vector<CPlanRow> later = LaterPlanRows();
    for (std::size_t i = 0; i < later.size(); ++i) {
        rare.laterPlan.Put(i, copy(m_plan.Size() + i, later[i]),
                           [this]() -> std::vector<CPlanRow>& { return EditWide().planRows; });
    }
}

// Most waits add to their event's packed sums in place.
void CCursorFigures::AddWait(std::uint32_t event, std::int64_t elapsed) {
    CPackedWait* const packed =
        m_waits.FindPacked([event](const CPackedWait& waits) { return waits.IsOf(event); });
    if (packed == nullptr || !packed->AddOne(elapsed)) {
        AddWaits(CWaitFigures{event, 1, elapsed, elapsed});
    }
}

void CCursorFigures::AddError(std::int64_t error) {
    CErrorCount::Add(m_rare.Edit().errors, error, 1);
}

void CCursorFigures::Trim() {
    m_plan.Trim();
    if (!m_rare.Get().laterPlan.IsEmpty()) {
        m_rare.Edit().laterPlan.Trim();
    }
    m_waits.Trim();
    m_callTree.Pack();
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
    for (const std::vector<CPlanRow>& rows : {later.Plan(), later.LaterPlanRows()}) {
        for (CPlanRow row : rows) {
            row.textOffset += later.PlanTextsCopied() ? textBase : 0;
            AddPlanRow(row);
        }
    }
    for (const CWaitFigures& waits : later.Waits()) {
        AddWaits(waits);
    }
    m_executions.Absorb(later.m_executions);
    if (!later.Errors().empty()) {
        CErrorCount::Add(m_rare.Edit().errors, later.Errors());
    }
    if (!later.CallTree().IsEmpty()) {
        m_callTree.Add(later.CallTree().Nodes());
    }
}

bool CCursorFigures::operator==(const CCursorFigures& other) const {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        if (CallsOf(kind) != other.CallsOf(kind)) {
            return false;
        }
    }
    return m_recursive == other.m_recursive && Plan() == other.Plan() &&
           LaterPlanRows() == other.LaterPlanRows() && Waits() == other.Waits() &&
           m_executions == other.m_executions && m_callTree == other.m_callTree &&
           PlanTexts() == other.PlanTexts() && PlanTextsCopied() == other.PlanTextsCopied() &&
           Errors() == other.Errors() && m_bPlanNumbered == other.m_bPlanNumbered;
}

void CCursorFigures::PutPlanRow(std::size_t index, const CPlanRow& row) {
    m_plan.Put(index, row, [this]() -> std::vector<CPlanRow>& { return EditWide().planRows; });
}

void CCursorFigures::AddWaits(const CWaitFigures& waits) {
    const std::vector<CWaitFigures>& spilled = m_rare.Get().wide.Get().waits;
    std::size_t index = 0;
    while (index < m_waits.Size() && m_waits.At(index, spilled).event != waits.event) {
        ++index;
    }
    CWaitFigures sum = waits;
    if (index < m_waits.Size()) {
        const CWaitFigures known = m_waits.At(index, spilled);
        sum.count = SaturatingAdd(known.count, waits.count);
        sum.max = std::max(known.max, waits.max);
        sum.total = SaturatingAdd(known.total, waits.total);
    }
    m_waits.Put(index, sum, [this]() -> std::vector<CWaitFigures>& { return EditWide().waits; });
}

bool CCursorFigures::HasPlanRow(std::int64_t id) const {
    if (m_bPlanNumbered) {
        return id >= 1 && static_cast<std::uint64_t>(id) <= m_plan.Size();
    }
    const std::vector<CPlanRow>& spilled = m_rare.Get().wide.Get().planRows;
    for (std::size_t i = 0; i < m_plan.Size(); ++i) {
        if (m_plan.At(i, spilled).id == id) {
            return true;
        }
    }
    return false;
}
