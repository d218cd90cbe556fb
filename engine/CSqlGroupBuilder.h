#pragma once

#include "CSqlGroupTable.h"

#include <cstddef>
#include <memory>
#include <vector>

class CCursorFigures;
class CStatementRecord;

// Groups statements by SQL as they come, one at a time, and keeps the groups up to date as
// their statements grow, so that the table of groups costs little to make after each read.
// A statement given must stay in memory, unchanged but by what Grow is told of, until the
// builder is cleared.
class CSqlGroupBuilder {
public:
    // `records`: about how many statements will come.
    explicit CSqlGroupBuilder(std::size_t records = 0);
    ~CSqlGroupBuilder();
    CSqlGroupBuilder(CSqlGroupBuilder&&) noexcept;
    CSqlGroupBuilder& operator=(CSqlGroupBuilder&&) noexcept;

    // Makes room for `more` statements to come.
    void Reserve(std::size_t more);
    // Adds a statement; answers its group's position.
    std::size_t Add(const CStatementRecord& record);
    // A statement of the group got `added` (a read's delta, already in the statement).
    void Grow(std::size_t group, const CCursorFigures& added);
    // The groups, by self elapsed time, largest first; idle waits left out of their wait time
    // when asked; each with its detail when `detailed`.
    CSqlGroupTable Table(bool excludeIdle, bool detailed);
    void Clear();

private:
    class CGroupIndex;

    std::unique_ptr<CGroupIndex> m_index;
    std::vector<CSqlGroupRow> m_rows;         // waits without the idle ones
    std::vector<std::int64_t> m_idleWaits;    // per group
    std::vector<CExecutionHistogram> m_times; // per group: every execution of its statements
    std::vector<bool> m_stale;                // per group: m_times must be summed anew
    // The statements given, in order, each linked to the next of its group.
    std::vector<const CStatementRecord*> m_statements;
    std::vector<std::size_t> m_nextOfGroup;
    std::vector<std::size_t> m_firstOfGroup; // per group
    std::vector<std::size_t> m_lastOfGroup;

    template <typename Visit> void ForEachOf(std::size_t group, Visit&& visit) const;
};
