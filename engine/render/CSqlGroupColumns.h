#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CSqlGroupRow;

// The seventeen columns of the statements grouped by SQL, in one table that the window's
// "SQL Groups" tab and `velquor-cli sqls` both read: title, what a cell holds and the number
// it shows (and sorts on). Times are shown in seconds with six decimals.
class CSqlGroupColumns {
public:
    static constexpr int kCount = 17;
    static constexpr int kKeyColumn = 0;
    static constexpr int kSelfColumn = 4;
    static constexpr int kSqlColumn = 16;

    enum class EUnit { Text, Count, Seconds };
    using NumberField = std::int64_t (*)(const CSqlGroupRow&);

    // A column shows a number field, or a text (the group's key or its SQL) when numberOf
    // is null. An execution column is empty for a group without a timed execution.
    struct CColumn {
        std::string_view title;
        EUnit unit;
        NumberField numberOf;
        bool execution;
    };

    // Throws std::out_of_range for a column outside 0 to 16.
    static const CColumn& At(int column);
    // A cell's text: a count in decimal, a time in seconds, the key, or the SQL cell of
    // `sql` (the text of the group's first statement).
    static std::string Cell(const CSqlGroupRow& group, int column, std::string_view sql);
    // What names the group: its SQL id, else "hv=" and its hash value, else nothing.
    static std::string Key(const CSqlGroupRow& group);
};
