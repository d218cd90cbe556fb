#pragma once

#include "CCallFigures.h"
#include "CCallTree.h"
#include "CErrorCount.h"
#include "CExecutionTimes.h"
#include "CPackedCalls.h"
#include "CPackedPlanRow.h"
#include "CPackedVector.h"
#include "CPackedWait.h"
#include "CPlanRow.h"
#include "CRecursiveCalls.h"
#include "CSelfFigures.h"
#include "CSparse.h"
#include "CWaitFigures.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What the lines of one cursor add to its statement: the call figures as written
// (inclusive of recursive calls) and without recursive calls, the plan rows in the order
// their lines came (the first row of an id is kept; the rows of the dumps after the first are
// kept apart, in their order, as few statements have any) and the waits by event, in the order
// the events first came, the times of its executions, its errors by number, and the
// statements its calls called (the call tree below its calls at the top level). A statement
// record holds the sums of all its cursor's lines; a
// reader also collects the lines of a cursor whose statement is not known yet in one of
// these, to be absorbed by the statement later. The plan rows' texts stay in the trace file,
// unless its bytes cannot be read again (a live or compressed trace): then they are copied.
// Copied plan texts and errors, which few statements of a plain file have, are kept apart so
// that a statement without them pays one pointer for them; so is the call tree, packed once it
// is resolved (CCallTree). Call figures, plan rows and waits are kept packed (CPackedCalls,
// CPackedPlanRow, CPackedWait); those of the rare statement that do not fit are kept in full
// apart too.
class CCursorFigures {
public:
    CRecursiveCalls m_recursive;
    CExecutionTimes m_executions;

    // The statements its calls called; few statements have any.
    const CCallTree& CallTree() const { return m_callTree; }
    CCallTree& EditCallTree() { return m_callTree; }

    // A call's figures as written, and what of them its recursive calls took.
    void AddCall(ECallKind kind, const CCallFigures& call);
    void AddRecursive(ECallKind kind, const CSelfFigures& recursive);
    // A plan row whose text stays in the trace file.
    void AddPlanRow(const CPlanRow& row);
    // A plan row whose text is copied.
    void AddPlanRow(CPlanRow row, std::string_view text);
    // Holds copies of the plan rows' texts, `operations` one per row in their order (Plan(),
    // then LaterPlanRows()), instead of where they lie in the trace file.
    void CopyPlanTexts(const std::vector<std::string>& operations);
    void AddWait(std::uint32_t event, std::int64_t elapsed);
    void AddError(std::int64_t error);
    // Gives back the room kept for more plan rows and waits, and packs the call tree; more
    // may still be added after.
    void Trim();
    // Adds the figures of lines that came after those already summed here.
    void Absorb(const CCursorFigures& later);
    // Parse, execute and fetch added up; rows of execute and fetch, no misses.
    CCallFigures Total() const;
    // The figures without the recursive calls.
    CSelfCalls Self() const;
    // Self().Total(), made at once when the figures are packed, as a walk over every
    // statement asks for each one's.
    CSelfFigures SelfTotal() const;
    // The time of all waits; without those of idle events (IsIdleEvent) when `excludeIdle`.
    std::int64_t WaitTime(bool excludeIdle) const;
    // The figures of the calls of a kind as written, summed.
    CCallFigures CallsOf(ECallKind kind) const {
        return m_bWideCalls ? m_rare.Get().wide.Get().calls[static_cast<std::size_t>(kind)]
                            : m_calls.Of(kind);
    }
    CCallFigures Parse() const { return CallsOf(ECallKind::Parse); }
    CCallFigures Exec() const { return CallsOf(ECallKind::Exec); }
    CCallFigures Fetch() const { return CallsOf(ECallKind::Fetch); }
    std::size_t PlanRowCount() const { return m_plan.Size(); }
    CPlanRow PlanRow(std::size_t index) const {
        return m_plan.At(index, m_rare.Get().wide.Get().planRows);
    }
    // The plan rows in their order.
    std::vector<CPlanRow> Plan() const;
    // The rows of the plan dumps after the first, in their order: a dump starts at a row whose
    // id is not above the one before it.
    std::vector<CPlanRow> LaterPlanRows() const {
        return m_rare.Get().laterPlan.Unpacked(m_rare.Get().wide.Get().planRows);
    }
    // The waits by event, in the order the events first came.
    std::vector<CWaitFigures> Waits() const;
    // The operations of plan rows whose text is copied, one after the other.
    std::string_view PlanTexts() const { return m_rare.Get().planTexts; }
    bool PlanTextsCopied() const { return m_rare.Get().planTextsCopied; }
    const std::vector<CErrorCount>& Errors() const { return m_rare.Get().errors; }

    // Asks the processor for the waits and the recursive figures, kept apart, ahead of a
    // read of them: a walk over many statements then waits on memory for several at once.
    void PrefetchParts() const {
        m_waits.Prefetch();
        m_recursive.Prefetch();
    }

    // Equal when the figures are, however they are stored.
    bool operator==(const CCursorFigures& other) const;

private:
    // What does not fit packed.
    struct CWide {
        std::array<CCallFigures, 3> calls; // one per call kind, when m_bWideCalls
        std::vector<CPlanRow> planRows;
        std::vector<CWaitFigures> waits;
    };
    struct CRare {
        std::string planTexts;
        bool planTextsCopied = false;
        std::vector<CErrorCount> errors;
        CSparse<CWide> wide;
        // Rows spilled from it are kept with those of the first dump, in wide.planRows.
        CPackedVector<CPackedPlanRow> laterPlan;
    };

    CWide& EditWide() { return m_rare.Edit().wide.Edit(); }
    void PutPlanRow(std::size_t index, const CPlanRow& row);
    void AddWaits(const CWaitFigures& waits);
    bool HasPlanRow(std::int64_t id) const;

    CPackedCalls m_calls; // unless m_bWideCalls
    CPackedVector<CPackedPlanRow> m_plan;
    CPackedVector<CPackedWait> m_waits;
    CSparse<CRare> m_rare;
    CCallTree m_callTree;
    // The flags last, so that a statement record's flags can follow them in the same word.
    // Whether the plan rows are numbered 1, 2, 3, ... in their order, as servers write them: then
    // the row of an id is found without a search.
    bool m_bPlanNumbered = true;
    // Whether the call figures do not fit in m_calls and are kept in 64 bits in m_rare.
    bool m_bWideCalls = false;
};
