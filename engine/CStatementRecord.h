#pragma once

#include "CCursorFigures.h"
#include "CSessionTagsRef.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One statement: a "PARSING IN CURSOR" or "PARSE ERROR" block with the figures of every line
// its cursor wrote while the cursor number was bound to it, wherever the line stands in the
// file. Texts are bytes; every line of a text ends with CR LF. The SQL text is a slice of
// the block text; the block holds only the lines between the statement's header and the
// next separator, never the lines of the cursor written after them.
class CStatementRecord : public CCursorFigures {
public:
    std::string m_strNode; // the whole block, every line followed by CR LF
    std::int64_t m_nUserId = 0;
    std::int64_t m_nDepth = 0;     // the header's "dep=": 0 for a statement the client sent
    std::string m_strPid;          // process id taken from the trace file's name
    std::string m_strOctName;      // command-type name of the "oct=" code
    std::string m_strError;        // "ORA-" and five digits, or empty
    std::string m_strSqlId;        // the header's "sqlid=", or empty
    std::int64_t m_nHashValue = 0; // the header's "hv=", 0 without
    CSessionTagsRef m_tags;        // the session tags current at the header

    // Identity of the record for the whole life of its reader; later lines of a live
    // trace name the record they add to by it.
    std::uint64_t m_nSerial = 0;
    // true for a "PARSING IN CURSOR" block, false for a "PARSE ERROR" block.
    bool m_bCursorBlock = false;
    std::size_t m_nSqlStart = 0;
    std::size_t m_nSqlLength = 0;
    // Start of the text after "END OF STMT" (or after the header line) in the node.
    std::size_t m_nRestStart = 0;

    // The statement's SQL text, each line with its CR LF.
    std::string_view GetSql() const {
        return std::string_view(m_strNode).substr(m_nSqlStart, m_nSqlLength);
    }
    // Whether the block holds lines after its SQL text.
    bool HasRest() const { return m_bCursorBlock && m_nRestStart < m_strNode.size(); }

    bool operator==(const CStatementRecord&) const = default;
};
