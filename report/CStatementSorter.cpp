#include "CStatementSorter.h"

#include "CStatementColumns.h"
#include "CVelquorDoc.h"

bool CStatementSorter::OnColumnClick(int column) {
    if (!m_doc.CanSort() || column < 0 || column >= CStatementColumns::kCount) {
        return false;
    }
    if (column == m_nSortColumn) {
        m_nSortOrder = -m_nSortOrder;
    } else {
        m_nSortOrder = 1;
        m_nSortColumn = column;
    }
    m_doc.Sort(m_nSortColumn, m_nSortOrder);
    return true;
}
