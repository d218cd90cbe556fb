#pragma once

#include "CCallFigures.h"
#include "CSelfFigures.h"
#include "CWaitFigures.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CCommandTypeCatalog;

// A plain reading of a whole trace text into statements, written as directly as the rules
// read and with no regard for speed: every line's context (process, session) is found first,
// the text is cut into blocks, then every line of every block is given, in file order, to the
// statement its cursor number is bound to in the line's context. The engine's pieces, deltas
// and fast paths must agree with it.
struct CReferenceRecord {
    std::string node;
    std::int64_t userId = 0;
    std::string pid;
    std::string session; // empty when none
    std::string sql;
    std::string callStats;
    std::string rowSource;
    std::string octName;
    std::string error;
    CCallFigures parse;
    CCallFigures exec;
    CCallFigures fetch;
    CCallFigures total;
    CSelfCalls self;
    std::vector<CWaitFigures> waits;

    bool cursorBlock = false;
    bool hasRest = false;
    struct CRow {
        std::int64_t depth;
        std::string operation;
        std::int64_t rows;
    };
    std::map<std::int64_t, CRow> plan;
};

class CReferenceAnalyzer {
public:
    CReferenceAnalyzer(const CCommandTypeCatalog& catalog, bool showSys, std::string flags);

    // Analyses the whole text of one file read from `path`.
    void SplitBlocks(std::string_view text, const std::string& path);
    const std::vector<CReferenceRecord>& Records() const { return m_records; }

private:
    // A line's context: its process as the trace states it (empty when it states none) and
    // session, and the two as one key.
    struct CContext {
        std::string process;
        std::string session;
        std::string key;
    };
    static std::vector<CContext> Contexts(const std::vector<std::string>& lines);
    void AnalyzeBlock(const std::vector<std::string>& lines, const std::vector<CContext>& contexts,
                      const std::string& path);
    int StartStatement(const std::vector<std::string>& lines, const CContext& context,
                       const std::string& path);
    bool ReadHeader(std::string_view header, CReferenceRecord& record) const;
    void ReadLine(const std::string& line, int own, const std::string& ownCursorId,
                  std::size_t restFrom);
    void AddCall(CReferenceRecord& record, const std::string& line, char kind);
    void TakeSelf(const std::string& line, CSelfFigures& self);
    static void Finish(CReferenceRecord& record);

    const CCommandTypeCatalog& m_catalog;
    bool m_bShowSys;
    std::string m_strFlags;
    std::vector<CReferenceRecord> m_records;
    // Per context: cursor number to record (-1 hidden); per depth the deeper calls since the
    // last call at the depth. ReadLine works in m_strContext.
    std::map<std::string, std::map<std::string, int>> m_bindings;
    std::map<std::string, std::map<std::int64_t, CSelfFigures>> m_pending;
    std::string m_strContext;
};
