#pragma once

#include <QDockWidget>

class QMainWindow;

// The resizable docking bar that hosts the detail pane: it docks at the bottom of the main
// frame only, floats and docks again, has close and float buttons on a gripper along its
// left side, and never gets lower than 32 pixels. Closing hides it; showing it again keeps
// the height it had.
class CSizingBar : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumHeight = 32;
    static constexpr int kEdgeWidth = 6;
    static constexpr int kBorder = 3;

    CSizingBar(const QString& title, QWidget* parent = nullptr);

    // Hosts `child` and docks the bar at the bottom of `frame`, as high as the child plus
    // the edge and the border.
    bool Create(QMainWindow& frame, QWidget& child);
    // The height the bar opens with.
    int InitialHeight() const { return m_nInitialHeight; }

private:
    int m_nInitialHeight = 0;
};
