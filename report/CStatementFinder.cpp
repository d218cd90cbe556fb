#include "CStatementFinder.h"

#include "CSqlReader.h"
#include "CTraceAnalyzer.h"

#include <algorithm>

int CStatementFinder::Find(const std::string& text, int direction, int selectedRow) {
    m_strFindText = text;
    m_nFindDirection = direction;
    const auto count = static_cast<int>(m_analyzer.GetCount());
    const bool down = direction == kDirectionDown;
    m_nFindPos = selectedRow == -1 && !down ? count : selectedRow;
    const int step = down ? 1 : -1;
    CSqlReader sqls(m_analyzer.Texts());
    for (int row = down ? selectedRow + 1 : std::min(m_nFindPos, count) - 1;
         row >= 0 && row < count; row += step) {
        if (Matches(row, text, sqls)) {
            m_nFindPos = row;
            return row;
        }
    }
    return -1;
}

// A text that cannot be read back (its file changed) matches nothing; its cell says why.
bool CStatementFinder::Matches(int row, const std::string& text, CSqlReader& sqls) const {
    std::string_view sql;
    std::string error;
    return sqls.Read(m_analyzer.GetRecord(row), sql, error) &&
           sql.find(text) != std::string_view::npos;
}
