#pragma once

#include <QDockWidget>

class QMainWindow;

// The resizable docking bar that hosts a pane of the main frame (the detail pane at the
// bottom, the response-time dock on the right): it docks on its one side of the frame only,
// floats and docks again, has close and float buttons (on a gripper along its left side at
// the bottom, in a title bar on the right), and never gets thinner than 32 pixels across its
// side. Closing hides it; showing it again keeps the size it had.
class CSizingBar : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumThickness = 32;
    static constexpr int kEdgeWidth = 6;
    static constexpr int kBorder = 3;

    CSizingBar(const QString& title, QWidget* parent = nullptr,
               Qt::DockWidgetArea area = Qt::BottomDockWidgetArea);

    // Hosts `child` and docks the bar on its side of `frame`, as thick as the child (its
    // height at the bottom, its width on the right) plus the edge and the border.
    bool Create(QMainWindow& frame, QWidget& child);
    // The thickness the bar opens with.
    int InitialThickness() const { return m_nInitialThickness; }

private:
    Qt::Orientation Across() const;

    Qt::DockWidgetArea m_area;
    int m_nInitialThickness = 0;
};
