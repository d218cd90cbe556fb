#pragma once

#include "CCallFigures.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCommandTypeCatalog;

// A plain, line-by-line reading of trace text into statements, written as directly as the
// rules read and with no regard for speed. The engine's fast paths must agree with it.
struct CReferenceRecord {
    std::string node;
    std::int64_t userId = 0;
    std::string pid;
    std::string sql;
    std::string callStats;
    std::string rowSource;
    std::string octName;
    std::string error;
    CCallFigures parse;
    CCallFigures exec;
    CCallFigures fetch;
    CCallFigures total;
};

class CReferenceAnalyzer {
public:
    CReferenceAnalyzer(const CCommandTypeCatalog& catalog, bool showSys, std::string flags);

    // Splits one text read from `path` into blocks and analyses each.
    void SplitBlocks(std::string_view text, const std::string& path);
    const std::vector<CReferenceRecord>& Records() const { return m_records; }

private:
    void AnalyzeBlock(const std::string& block, const std::string& path);
    bool ReadHeader(std::string_view header, CReferenceRecord& record) const;
    static void ParseCallLines(std::string_view rest, CReferenceRecord& record,
                               const std::string& cursorId);
    static void ParseStatLines(std::string_view rest, CReferenceRecord& record,
                               const std::string& cursorId);

    const CCommandTypeCatalog& m_catalog;
    bool m_bShowSys;
    std::string m_strFlags;
    std::vector<CReferenceRecord> m_records;
};
