#pragma once

#include "CCursorFigures.h"

#include <cstdint>
#include <string>

class CStatementRecord;

// What lines read after a record was handed over add to it: more lines of its block and of
// its SQL text, and the figures of its cursor's lines.
struct CRecordDelta {
    std::uint64_t serial = 0;
    std::string nodeAppend;
    std::string sqlAppend;
    bool hasRest = false;
    CCursorFigures figures;

    void ApplyTo(CStatementRecord& record) const;
};
