#include "CSizingBar.h"

#include <QMainWindow>

CSizingBar::CSizingBar(const QString& title, QWidget* parent) : QDockWidget(title, parent) {
    setObjectName(QStringLiteral("m_wndDetailBar"));
    setAllowedAreas(Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetVerticalTitleBar);
    setMinimumHeight(kMinimumHeight);
}

bool CSizingBar::Create(QMainWindow& frame, QWidget& child) {
    const int childHeight = child.height();
    setWidget(&child);
    frame.addDockWidget(Qt::BottomDockWidgetArea, this);
    m_nInitialHeight = childHeight + kEdgeWidth + kBorder;
    frame.resizeDocks({this}, {m_nInitialHeight}, Qt::Vertical);
    return true;
}
