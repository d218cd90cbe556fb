#include "CTextTable.h"

#include <algorithm>

CTextTable::CTextTable(std::vector<CColumn> columns) : m_columns(std::move(columns)) {}

void CTextTable::AddRow(std::vector<std::string> cells) {
    cells.resize(m_columns.size());
    m_rows.push_back(std::move(cells));
}

std::string CTextTable::Text() const {
    std::vector<std::size_t> widths;
    std::vector<std::string> titles;
    for (const CColumn& column : m_columns) {
        widths.push_back(column.title.size());
        titles.push_back(column.title);
    }
    for (const std::vector<std::string>& row : m_rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    std::string text;
    AppendLine(text, titles, widths);
    for (const std::vector<std::string>& row : m_rows) {
        AppendLine(text, row, widths);
    }
    return text;
}

void CTextTable::AppendLine(std::string& text, const std::vector<std::string>& cells,
                            const std::vector<std::size_t>& widths) const {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const bool last = i + 1 == cells.size();
        const std::size_t pad = widths[i] - cells[i].size();
        if (m_columns[i].number) {
            line.append(pad, ' ');
        }
        line += cells[i];
        if (!m_columns[i].number && !last) {
            line.append(pad, ' ');
        }
        line += last ? "" : "  ";
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    text += line;
    text += '\n';
}
