#pragma once

#include <string>
#include <vector>

// A table for a terminal: every column as wide as its widest cell, two blanks apart, numbers
// aligned to the right; the last column is not padded. A small table keeps its rows and gives
// its text at once; a big one is written a line at a time, its rows made twice: first to fit
// the columns to them, then for their lines.
class CTextTable {
public:
    struct CColumn {
        std::string title;
        bool number = false;
    };

    explicit CTextTable(std::vector<CColumn> columns);

    // Adds a row; missing cells are empty.
    void AddRow(std::vector<std::string> cells);
    // The titles' line and the rows, each line ending with LF.
    std::string Text() const;

    // Widens the columns to a row's cells without keeping them. The cells of a last column of
    // text may be left empty: they are never padded.
    void Fit(const std::vector<std::string>& cells);
    // The titles' line, or a row's, at the widths fitted so far, ending with LF.
    std::string TitleLine() const;
    std::string Line(const std::vector<std::string>& cells) const;

private:
    std::vector<CColumn> m_columns;
    std::vector<std::size_t> m_widths;
    std::vector<std::vector<std::string>> m_rows;
};
