#pragma once

#include "CSqlGroupTable.h"

#include <cstddef>
#include <memory>
#include <vector>

class CCursorFigures;
class CRecordTexts;
class CStatementRecord;

// Groups statements by SQL as they are given, one at a time: each statement's figures go to
// its group's row at once, so the statements are read once.
class CSqlGroupBuilder {
public:
    // `records`: about how many statements will come. Idle waits are left out of the wait
    // time when asked; each group gets its detail when `detailed`. SQL texts that stay in
    // their trace file are read through `texts`.
    CSqlGroupBuilder(std::size_t records, bool excludeIdle, bool detailed,
                     const CRecordTexts& texts);
    ~CSqlGroupBuilder();
    CSqlGroupBuilder(const CSqlGroupBuilder&) = delete;
    CSqlGroupBuilder& operator=(const CSqlGroupBuilder&) = delete;

    void Add(const CStatementRecord& record);
    // Adds the groups of statements that came after those given here (a builder given the
    // next part of the statements), as if they had been given here.
    void Join(CSqlGroupBuilder&& later);
    // The groups of the statements given, by self elapsed time, largest first.
    CSqlGroupTable Finish();

private:
    class CGroupIndex;

    std::unique_ptr<CGroupIndex> m_index;
    bool m_bExcludeIdle;
    bool m_bDetailed;
    std::vector<CSqlGroupRow> m_rows;
    std::vector<CExecutionHistogram> m_times; // per group: every execution of its statements
    std::vector<CSqlGroupDetail> m_details;
};
