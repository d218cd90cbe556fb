#pragma once

class QAbstractItemView;

// Where a view is scrolled to, taken before its model shows new rows and given back after,
// so that new figures do not move what the user was looking at.
class CScrollPosition {
public:
    explicit CScrollPosition(QAbstractItemView& view);

    // Lays the view out for its new rows, so the scroll bars' ranges follow them, and scrolls
    // back to where it was.
    void Restore() const;

private:
    QAbstractItemView& m_view;
    int m_nVertical;
    int m_nHorizontal;
};
