#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CStatementRecord;

// The fourteen columns of the statement list, shared by the window and the command-line
// tool: title, width in pixels, the sort key of a click on the title, and a record's cell.
class CStatementColumns {
public:
    static constexpr int kCount = 14;
    static constexpr int kSqlColumn = 3;
    // The SQL cell shows at most this many characters of the SQL text.
    static constexpr std::size_t kSqlCellLength = 128;

    struct CColumn {
        std::string_view title;
        int width;
        std::string_view sortKey;
        bool number;
    };

    // Throws std::out_of_range for a column outside 0 to 13.
    static const CColumn& At(int column);
    // A cell's text as bytes: numbers in decimal, the SQL cell the first 128 bytes of the SQL.
    static std::string Cell(const CStatementRecord& record, int column);
};
