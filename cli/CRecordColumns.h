#pragma once

#include <array>
#include <string>
#include <string_view>

class CStatementRecord;

// The fourteen columns of the statement list: their titles and the text of a record's cell.
class CRecordColumns {
public:
    static constexpr int kCount = 14;
    static constexpr int kSqlColumn = 3;
    // The SQL cell holds at most this many bytes of the SQL text.
    static constexpr std::size_t kSqlCellBytes = 128;

    static const std::array<std::string_view, kCount>& Titles();
    static std::string Cell(const CStatementRecord& record, int column);
    // Whether a column holds a number (and so is right-aligned for people).
    static bool IsNumber(int column);
};
