#pragma once

#include "CCallTreeNode.h"

#include <optional>
#include <vector>

class CStatementRecord;

// One node of the call tree as shown: a statement (a record's serial, or a statement the
// filters hide, or a cursor no header bound) and the calls it made at this place, with the
// statements its calls called below it. A call at depth d + 1 belongs to the next call at
// depth d written after it.
struct CCallTreeRow {
    CStatementRef statement;
    CCallTreeFigures figures;
    std::vector<CCallTreeRow> children; // by inclusive elapsed time, largest first

    bool operator==(const CCallTreeRow&) const = default;
};

class CCallTreeView {
public:
    // Whether a record is a top-level statement: its header says depth 0, or its calls
    // called others.
    static bool IsTopLevel(const CStatementRecord& record);
    // The node of a top-level statement: its figures are its statement's, every call of it;
    // below, a node's figures are those of its calls at that place.
    static CCallTreeRow RowOf(const CStatementRecord& record);
    // Asks the processor for what RowOf reads of a record kept apart from it, ahead of the
    // read: a walk over many records then waits on memory for several at once.
    static void Prefetch(const CStatementRecord& record);
};
