#pragma once

#include "CStatementRecord.h"

#include <optional>
#include <string>
#include <string_view>

class CCommandTypeCatalog;

// Turns one block into a statement record: recognises the block by its first line,
// applies the SYS and command-type filters, takes the SQL text and sums the call lines.
// Holds no changing state, so several threads may analyse blocks with one instance.
class CBlockAnalyzer {
public:
    CBlockAnalyzer(const CCommandTypeCatalog& catalog, bool showSys, std::string typeFlags);

    // The record of a block, or nothing for a block that is not a statement or is filtered.
    std::optional<CStatementRecord> AnalyzeBlock(std::string&& block, std::string_view pid) const;

    // The process id of a trace file: the text between the path's last "_" and last ".".
    static std::string PidFromPath(std::string_view path);
    // Sums the call lines of a cursor's rest text into the record's counters and totals.
    static void ParseCallLines(std::string_view rest, std::string_view cursorId,
                               CStatementRecord& record);
    // The row source operations text of a cursor's rest text.
    static std::string ParseStatLines(std::string_view rest, std::string_view cursorId);
    // The cursor id of a cursor header: from position 18 to the blank before the first "len".
    static std::string_view CursorIdOf(std::string_view header);
    // The call statistics table of a record's counters.
    static std::string FormatCallStats(const CStatementRecord& record);

private:
    bool ReadHeader(std::string_view header, CStatementRecord& record) const;
    void AnalyzeCursorBlock(CStatementRecord& record) const;
    static void AnalyzeParseError(CStatementRecord& record);

    const CCommandTypeCatalog& m_catalog;
    bool m_bShowSys;
    std::string m_strTypeFlags;
};
