#include "CTextTable.h"

#include <algorithm>
#include <string_view>

CTextTable::CTextTable(std::vector<CColumn> columns) : m_columns(std::move(columns)) {
    for (const CColumn& column : m_columns) {
        m_widths.push_back(column.title.size());
    }
}

void CTextTable::AddRow(std::vector<std::string> cells) {
    cells.resize(m_columns.size());
    Fit(cells);
    m_rows.push_back(std::move(cells));
}

std::string CTextTable::Text() const {
    std::string text = TitleLine();
    for (const std::vector<std::string>& row : m_rows) {
        text += Line(row);
    }
    return text;
}

void CTextTable::Fit(const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size() && i < m_widths.size(); ++i) {
        m_widths[i] = std::max(m_widths[i], cells[i].size());
    }
}

std::string CTextTable::TitleLine() const {
    std::vector<std::string> titles;
    for (const CColumn& column : m_columns) {
        titles.push_back(column.title);
    }
    return Line(titles);
}

std::string CTextTable::Line(const std::vector<std::string>& cells) const {
    std::string line;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const bool last = i + 1 == m_columns.size();
        const std::string_view cell = i < cells.size() ? std::string_view(cells[i]) : "";
        const std::size_t pad = m_widths[i] - std::min(m_widths[i], cell.size());
        if (m_columns[i].number) {
            line.append(pad, ' ');
        }
        line += cell;
        if (!m_columns[i].number && !last) {
            line.append(pad, ' ');
        }
        line += last ? "" : "  ";
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line + '\n';
}
