#pragma once

class CVelquorDoc;

// Sorting a window's list by a click on a column title: the first click on a column sorts
// with direction +1 (numbers ascending, texts descending), each further click on the same
// column reverses it. Refused while the document cannot sort (a live refresh runs or a file
// read is under way).
class CStatementSorter {
public:
    explicit CStatementSorter(CVelquorDoc& doc) : m_doc(doc) {}

    // True when the list was sorted.
    bool OnColumnClick(int column);

    // -1 until the first sort.
    int GetSortColumn() const { return m_nSortColumn; }
    // +1 or -1 once a sort was made, 0 before.
    int GetSortOrder() const { return m_nSortOrder; }

private:
    CVelquorDoc& m_doc;
    int m_nSortColumn = -1;
    int m_nSortOrder = 0;
};
