#pragma once

#include "CCallFigures.h"
#include "CCallTreeNode.h"
#include "CErrorCount.h"
#include "CExecutionTimes.h"
#include "CPlanRow.h"
#include "CSelfFigures.h"
#include "CWaitFigures.h"

#include <string_view>
#include <vector>

enum class ECallKind { Parse, Exec, Fetch };

// What the lines of one cursor add to its statement: the call figures as written
// (inclusive of recursive calls) and without recursive calls, the plan rows in the order
// their lines came (the first row of an id is kept) and the waits by event, in the order
// the events first came, the times of its executions, its errors by number, and the
// statements its calls called (the call tree below its calls at the top level). A statement
// record holds the sums of all its cursor's lines; a
// reader also collects the lines of a cursor whose statement is not known yet in one of
// these, to be absorbed by the statement later.
class CCursorFigures {
public:
    CCallFigures m_parse;
    CCallFigures m_exec;
    CCallFigures m_fetch;
    CCallFigures m_total; // parse, execute and fetch added up; rows of execute and fetch
    CSelfCalls m_self;
    std::vector<CPlanRow> m_plan;
    std::vector<CWaitFigures> m_waits;
    std::int64_t m_nWaited = 0;     // the waits' time, summed
    std::int64_t m_nIdleWaited = 0; // the part of it spent in idle events (IsIdleEvent)
    CExecutionTimes m_executions;
    std::vector<CErrorCount> m_errors;
    std::vector<CCallTreeNode> m_callTree;
    // Whether the plan rows are numbered 1, 2, 3, ... in their order, as servers write them:
    // then the row of an id is found without a search.
    bool m_bPlanNumbered = true;

    void AddCall(ECallKind kind, const CCallFigures& call);
    void AddSelf(ECallKind kind, const CSelfFigures& self);
    void AddPlanRow(CPlanRow&& row);
    void AddWait(std::string_view event, std::int64_t elapsed);
    void AddError(std::int64_t error);
    // Adds the figures of lines that came after those already summed here.
    void Absorb(const CCursorFigures& later);
    // Whether no line was summed here.
    bool IsEmpty() const;
    CSelfFigures& SelfOf(ECallKind kind);

    bool operator==(const CCursorFigures&) const = default;

private:
    CCallFigures& CallsOf(ECallKind kind);
    void AddWaits(const CWaitFigures& waits);
    bool HasPlanRow(std::int64_t id) const;
};
