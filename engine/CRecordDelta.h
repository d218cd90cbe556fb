#pragma once

#include "CCursorFigures.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CStatementRecord;

// What lines read after a record was handed over add to it: more lines of its block (with
// the SQL text's new end) and the figures of its cursor's lines.
struct CRecordDelta {
    std::uint64_t serial = 0;
    std::string nodeAppend;
    bool hasPositions = false; // the block grew: the positions below are the record's now
    std::size_t sqlLength = 0;
    std::size_t restStart = 0;
    CCursorFigures figures;

    void ApplyTo(CStatementRecord& record) const;
};
