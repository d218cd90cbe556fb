#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CSqlReader;
class CStatementRecord;

// The columns of the statement list, in one table that the window's list, the command-line
// tool and the sort all read: title, width in pixels, alignment, the sort key a click on the
// title sorts by, the record's field the column shows and sorts on, and how a number is
// written. The description's fourteen come first; the command-line tool lists those unless
// told others.
class CStatementColumns {
public:
    static constexpr int kCount = 17;
    static constexpr int kListed = 14;
    static constexpr int kSqlColumn = 3;
    // The SQL cell shows at most this many characters of the SQL text.
    static constexpr std::size_t kSqlCellLength = 128;

    enum class Align { Left, Centre };
    // A number as it is, or microseconds written as seconds (FormatSeconds).
    enum class Unit { Plain, Seconds };
    // A text field's SQL text is read with the reader, valid until its next read.
    using TextField = std::string_view (*)(const CStatementRecord&, CSqlReader&);
    using NumberField = std::int64_t (*)(const CStatementRecord&);

    // A column shows either a text field or a number field; the other is null.
    struct CColumn {
        std::string_view title;
        int width;
        Align align;
        std::string_view sortKey;
        TextField textOf;
        NumberField numberOf;
        Unit unit = Unit::Plain;

        bool IsNumber() const { return numberOf != nullptr; }
    };

    // Throws std::out_of_range for a column outside 0 to kCount - 1.
    static const CColumn& At(int column);
    // The column whose sort key this is (byte-wise, case-sensitive), or nullptr.
    static const CColumn* FindBySortKey(std::string_view key);
    // The index of the column with this title or sort key (byte-wise), or -1.
    static int IndexOf(std::string_view name);
    // The widths multiplied by one factor, the least that gives every column at least
    // `needed[c]` pixels (what its title takes in the list's font) and never below 1, so
    // the columns keep their proportions; rounded up.
    static std::array<int, kCount> FittingWidths(const std::array<int, kCount>& needed);

    // A cell's text as bytes: numbers in decimal (seconds with six decimals for a column of
    // microseconds), texts as the record holds them, the SQL text as SqlCell gives it.
    static std::string Cell(const CStatementRecord& record, int column, CSqlReader& sqls);
    // The SQL cell, the same in the window and on the command line: the SQL text on one
    // line, each run of control characters (line breaks, tabs) between two pieces of text
    // shown as one blank, cut after its first 128 characters; such a blank never starts or
    // ends the cell. A character is a well-formed UTF-8 sequence, or else one byte, so the
    // cut never splits a sequence.
    static std::string SqlCell(std::string_view sql);
};
