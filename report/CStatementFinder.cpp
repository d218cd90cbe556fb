#include "CStatementFinder.h"

#include "CTraceAnalyzer.h"

#include <algorithm>

int CStatementFinder::Find(const std::string& text, int direction, int selectedRow) {
    m_strFindText = text;
    m_nFindDirection = direction;
    const auto count = static_cast<int>(m_analyzer.GetCount());
    const bool down = direction == kDirectionDown;
    m_nFindPos = selectedRow == -1 && !down ? count : selectedRow;
    const int step = down ? 1 : -1;
    for (int row = down ? selectedRow + 1 : std::min(m_nFindPos, count) - 1;
         row >= 0 && row < count; row += step) {
        if (Matches(row, text)) {
            m_nFindPos = row;
            return row;
        }
    }
    return -1;
}

bool CStatementFinder::Matches(int row, const std::string& text) const {
    return m_analyzer.GetRecord(row).GetSql().find(text) != std::string_view::npos;
}
