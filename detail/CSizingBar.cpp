#include "CSizingBar.h"

#include <QMainWindow>

CSizingBar::CSizingBar(const QString& title, QWidget* parent, Qt::DockWidgetArea area)
    : QDockWidget(title, parent), m_area(area) {
    setAllowedAreas(area);
    QDockWidget::DockWidgetFeatures features = QDockWidget::DockWidgetClosable |
                                               QDockWidget::DockWidgetMovable |
                                               QDockWidget::DockWidgetFloatable;
    if (Across() == Qt::Vertical) {
        setFeatures(features | QDockWidget::DockWidgetVerticalTitleBar);
        setMinimumHeight(kMinimumThickness);
    } else {
        setFeatures(features);
        setMinimumWidth(kMinimumThickness);
    }
}

Qt::Orientation CSizingBar::Across() const {
    return m_area == Qt::TopDockWidgetArea || m_area == Qt::BottomDockWidgetArea ? Qt::Vertical
                                                                                 : Qt::Horizontal;
}

bool CSizingBar::Create(QMainWindow& frame, QWidget& child) {
    const int childSize = Across() == Qt::Vertical ? child.height() : child.width();
    setWidget(&child);
    frame.addDockWidget(m_area, this);
    m_nInitialThickness = childSize + kEdgeWidth + kBorder;
    frame.resizeDocks({this}, {m_nInitialThickness}, Across());
    return true;
}
