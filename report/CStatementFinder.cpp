#include "CStatementFinder.h"

#include "CSqlReader.h"
#include "CTraceAnalyzer.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

// Rows whose records come in the file's order, as they do until the list is sorted by a
// column, are searched as they come: the reader then reads each window of the file once and
// the search stops at the first match. From the first row out of that order on, the rest are
// searched in the file's order and the match nearest in the list's order is taken: searched
// in the list's order, each record of a sorted list would cost a read of the file of its own.
int CStatementFinder::Find(const std::string& text, int direction, int selectedRow) {
    m_strFindText = text;
    m_nFindDirection = direction;
    const auto count = static_cast<int>(m_analyzer.GetCount());
    const bool down = direction == kDirectionDown;
    m_nFindPos = selectedRow == -1 && !down ? count : selectedRow;
    const int step = down ? 1 : -1;
    const int first = down ? selectedRow + 1 : std::min(m_nFindPos, count) - 1;
    CSqlReader sqls(m_analyzer.Texts());
    std::uint64_t previous = 0;
    for (int row = first; row >= 0 && row < count; row += step) {
        const std::uint64_t serial = m_analyzer.GetRecord(row).m_nSerial;
        if (row != first && serial < previous) {
            return Found(FindInFileOrder(text, row, step, sqls));
        }
        previous = serial;
        if (Matches(row, text, sqls)) {
            return Found(row);
        }
    }
    return -1;
}

int CStatementFinder::FindInFileOrder(const std::string& text, int from, int step,
                                      CSqlReader& sqls) const {
    const auto count = static_cast<int>(m_analyzer.GetCount());
    std::vector<std::pair<std::uint64_t, int>> rows;
    for (int row = from; row >= 0 && row < count; row += step) {
        rows.emplace_back(m_analyzer.GetRecord(row).m_nSerial, row);
    }
    std::sort(rows.begin(), rows.end());
    int found = -1;
    for (const auto& entry : rows) {
        const int row = entry.second;
        const bool nearer = found < 0 || (step > 0 ? row < found : row > found);
        if (nearer && Matches(row, text, sqls)) {
            found = row;
        }
    }
    return found;
}

int CStatementFinder::Found(int row) {
    if (row >= 0) {
        m_nFindPos = row;
    }
    return row;
}

// A text that cannot be read back (its file changed) matches nothing; its cell says why.
bool CStatementFinder::Matches(int row, const std::string& text, CSqlReader& sqls) const {
    std::string_view sql;
    std::string error;
    return sqls.Read(m_analyzer.GetRecord(row), sql, error) &&
           sql.find(text) != std::string_view::npos;
}
