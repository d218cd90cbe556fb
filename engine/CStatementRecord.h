#pragma once

#include "CCallFigures.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One analysed statement block ("PARSING IN CURSOR" or "PARSE ERROR").
// Texts are bytes; every line of a text ends with CR LF. The SQL text is a slice of the
// block text, and the call statistics and row source texts are derived on demand from the
// counters and the block's STAT lines, so a record costs little more than its block.
class CStatementRecord {
public:
    std::string m_strNode; // the whole block, every line followed by CR LF
    std::int64_t m_nUserId = 0;
    std::string m_strPid;     // process id taken from the trace file's name
    std::string m_strOctName; // command-type name of the "oct=" code
    std::string m_strError;   // "ORA-" and five digits, or empty
    CCallFigures m_parse;
    CCallFigures m_exec;
    CCallFigures m_fetch;
    CCallFigures m_total;

    // Identity of the record for the whole life of its reader; updates of a live
    // trace's open block name the record they replace by it.
    std::uint64_t m_nSerial = 0;
    // true for a "PARSING IN CURSOR" block, false for a "PARSE ERROR" block.
    bool m_bCursorBlock = false;
    std::size_t m_nSqlStart = 0;
    std::size_t m_nSqlLength = 0;
    // Start of the text after "END OF STMT" (or after the header line) in the node.
    std::size_t m_nRestStart = 0;

    // The statement's SQL text, each line with its CR LF.
    std::string_view GetSql() const;
    // The rest text of a cursor block; empty for a parse error block.
    std::string_view GetRest() const;
    // The call statistics table; empty for a parse error block or an empty rest text.
    std::string GetCallStats() const;
    // The row source operations (the plan); empty without STAT lines of the cursor.
    std::string GetRowSource() const;
    // The cursor id of the header ("#1" for "PARSING IN CURSOR #1 len=...").
    std::string_view GetCursorId() const;

    bool operator==(const CStatementRecord&) const = default;
};
