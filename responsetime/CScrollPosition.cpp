#include "CScrollPosition.h"

#include <QAbstractItemView>
#include <QScrollBar>

CScrollPosition::CScrollPosition(QAbstractItemView& view)
    : m_view(view), m_nVertical(view.verticalScrollBar()->value()),
      m_nHorizontal(view.horizontalScrollBar()->value()) {}

void CScrollPosition::Restore() const {
    m_view.doItemsLayout();
    m_view.verticalScrollBar()->setValue(m_nVertical);
    m_view.horizontalScrollBar()->setValue(m_nHorizontal);
}
