#pragma once

#include "CSqlGroupTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
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
    // their trace file are read through `texts`. A builder of share `part` of `parts` keeps
    // only the groups whose keys fall in that share: builders of all the shares, each given
    // every statement, make the groups on as many threads, and Merge puts them together.
    CSqlGroupBuilder(std::size_t records, bool excludeIdle, bool detailed,
                     const CRecordTexts& texts, std::size_t part = 0, std::size_t parts = 1);
    ~CSqlGroupBuilder();
    CSqlGroupBuilder(const CSqlGroupBuilder&) = delete;
    CSqlGroupBuilder& operator=(const CSqlGroupBuilder&) = delete;

    void Add(const CStatementRecord& record);
    // The records of a chunk, in their order: the same as adding each.
    void Add(const std::vector<CStatementRecord>& records);
    // Works out what each group's executions come to and orders the groups by self elapsed
    // time; nothing may be added after.
    void Complete();
    // The groups of the statements given, by self elapsed time, largest first.
    CSqlGroupTable Finish();
    // The groups of completed builders of every share, given the same statements: the table
    // one builder given them makes.
    static CSqlGroupTable Merge(CSqlGroupBuilder& first, CSqlGroupBuilder& second);

private:
    class CGroupIndex;

    void AddToGroup(const CStatementRecord& record, std::size_t group);
    std::vector<std::pair<std::int64_t, std::size_t>> OrderBySelfElapsed() const;

    std::unique_ptr<CGroupIndex> m_index;
    bool m_bExcludeIdle;
    bool m_bDetailed;
    std::vector<CSqlGroupRow> m_rows;
    std::vector<CExecutionHistogram> m_times; // per group: every execution of its statements
    std::vector<CSqlGroupDetail> m_details;
    std::size_t m_nSeen = 0;              // statements given
    std::vector<std::size_t> m_firstSeen; // per group: statements given before its first
    // Once complete: the groups' rows as shown, each with the key of its place
    // (OrderBySelfElapsed).
    std::vector<std::pair<std::int64_t, std::size_t>> m_order;
};
