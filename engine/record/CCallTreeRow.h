#pragma once

#include "CCallTreeNode.h"

#include <vector>

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
