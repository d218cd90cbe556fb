#pragma once

#include <string>

class CSqlReader;
class CTraceAnalyzer;

// Find and Find Next over one window's records: searches the whole SQL texts, byte-wise and
// case-sensitive, from a row on, down or up. It keeps the last search text and direction,
// which the next Find dialog and Find Next start from, and the find position: the row where
// the last search ended, after which Save starts.
class CStatementFinder {
public:
    static constexpr int kDirectionUp = 0;
    static constexpr int kDirectionDown = 1;

    explicit CStatementFinder(const CTraceAnalyzer& analyzer) : m_analyzer(analyzer) {}

    // Searches down from the row after `selectedRow`, or up from the row before it; with no
    // row selected (-1), down starts at the first row and up at the last. The text and
    // direction are kept; the row found, or -1.
    int Find(const std::string& text, int direction, int selectedRow);

    const std::string& GetFindText() const { return m_strFindText; }
    int GetFindDirection() const { return m_nFindDirection; }
    // -1 until the first search.
    int GetFindPos() const { return m_nFindPos; }

private:
    // The row from `from` on, by `step`, nearest to `from` whose SQL holds `text`; its
    // records are read in the file's order. -1 when none does.
    int FindInFileOrder(const std::string& text, int from, int step, CSqlReader& sqls) const;
    // Keeps a row found as the find position; answers it.
    int Found(int row);
    bool Matches(int row, const std::string& text, CSqlReader& sqls) const;

    const CTraceAnalyzer& m_analyzer;
    std::string m_strFindText;
    int m_nFindDirection = kDirectionDown;
    int m_nFindPos = -1;
};
