#pragma once

#include "CCallTreeRow.h"

class CStatementRecord;

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
