#pragma once

#include "CCallTreeNode.h"

#include <functional>
#include <vector>

class CStatementRecord;

// One node of the call tree as shown: a statement (a record's serial, or a statement the
// filters hide, or a cursor no header bound) and the calls it made at this place, with the
// statements its calls called below it. A call at depth d + 1 belongs to the next call at
// depth d written after it.
struct CCallTreeRow {
    CStatementRef statement;
    bool listed = false; // a record of the analyser: its row can be found by serial
    CCallTreeFigures figures;
    std::vector<CCallTreeRow> children; // by inclusive elapsed time, largest first

    bool operator==(const CCallTreeRow&) const = default;
};

class CCallTreeView {
public:
    // Adds `record` to `roots` when it is a top-level statement: one whose header says depth
    // 0, or any whose calls called others. A top-level node's figures are its statement's,
    // every call of it; below, a node's figures are those of its calls at that place.
    // `listed` tells whether a serial names a record of the analyser. Records are given in
    // file order.
    static void AddRoot(std::vector<CCallTreeRow>& roots, const CStatementRecord& record,
                        const std::function<bool(std::uint64_t serial)>& listed);
};
