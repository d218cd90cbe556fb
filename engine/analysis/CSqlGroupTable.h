#pragma once

#include "CCallFigures.h"
#include "CErrorCount.h"
#include "CExecutionHistogram.h"
#include "CSelfFigures.h"
#include "CWaitFigures.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CRecordTexts;
class CStatementRecord;

// What only some readers of a group want: its call table by kind, its waits by event (by
// total time, largest first) and its errors.
struct CSqlGroupDetail {
    CCallFigures parse; // as written, with the recursive calls
    CCallFigures exec;
    CCallFigures fetch;
    CSelfCalls self; // without the recursive calls
    std::vector<CWaitFigures> waits;
    std::vector<CErrorCount> errors;

    bool operator==(const CSqlGroupDetail&) const = default;
};

// The statements of one SQL: those with the same "sqlid=", else the same "hv=", else the
// same SQL text. Figures summed over the statements; times in microseconds.
struct CSqlGroupRow {
    std::string sqlId;             // the statements' "sqlid=", or empty
    std::int64_t hashValue = 0;    // their "hv=", or 0
    std::uint64_t firstSerial = 0; // the statement read first: its SQL text is the group's
    std::int64_t statements = 0;
    std::int64_t executions = 0; // EXEC lines
    CCallFigures total;          // as written, with the recursive calls
    CSelfFigures self;           // without the recursive calls
    std::int64_t waitTime = 0;   // every wait of the statements' cursors
    std::int64_t errorCount = 0; // "ERROR" lines
    // The elapsed time of each execution (an EXEC line and the FETCH lines of its cursor up
    // to the next EXEC or PARSE). The median and the 95th percentile are within 1.6 % of the
    // true times (see CExecutionHistogram); the rest is exact.
    CExecutionSummary executionTimes;
    std::shared_ptr<const CSqlGroupDetail> detail; // only when asked for

    bool operator==(const CSqlGroupRow& other) const;
};

// The groups of a set of statements, in an order that can be changed: at first by self
// elapsed time, largest first (ties in the order the groups first came).
class CSqlGroupTable {
public:
    CSqlGroupTable() = default;
    // The groups of two sets of rows, shown in `order`: a row of `rows` by its position, a
    // row of `more` by rows.size() and its position.
    CSqlGroupTable(std::vector<CSqlGroupRow> rows, std::vector<CSqlGroupRow> more,
                   std::vector<std::size_t> order);
    // Groups `records`, taken in order (see CSqlGroupBuilder); SQL texts that stay in their
    // trace file are read through `texts`.
    static CSqlGroupTable Make(const std::vector<const CStatementRecord*>& records,
                               bool excludeIdle, bool detailed, const CRecordTexts& texts);

    std::size_t Size() const { return m_order.size(); }
    // The row at a position of the current order.
    const CSqlGroupRow& Row(std::size_t position) const { return At(m_order[position]); }
    // Orders the rows by a number taken from each, stably (a tie keeps the order before).
    void SortBy(const std::function<std::int64_t(const CSqlGroupRow&)>& key, bool descending);

    bool operator==(const CSqlGroupTable& other) const;

private:
    const CSqlGroupRow& At(std::size_t index) const {
        return index < m_rows.size() ? m_rows[index] : m_more[index - m_rows.size()];
    }

    // The rows as they were made, apart: joining them would copy every row of one set to
    // memory taken for the purpose.
    std::vector<CSqlGroupRow> m_rows;
    std::vector<CSqlGroupRow> m_more;
    std::vector<std::size_t> m_order; // indexes of At
};
