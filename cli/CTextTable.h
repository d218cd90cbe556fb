#pragma once

#include <string>
#include <vector>

// A table for a terminal: every column as wide as its widest cell, two blanks apart, numbers
// aligned to the right; the last column is not padded.
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

private:
    void AppendLine(std::string& text, const std::vector<std::string>& cells,
                    const std::vector<std::size_t>& widths) const;

    std::vector<CColumn> m_columns;
    std::vector<std::vector<std::string>> m_rows;
};
