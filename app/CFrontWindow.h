#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CVelquorDoc;
class CVelquorView;
class IViewHost;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
struct COpenRequest;

// Which analysis window is in front, and the life of the windows in the frame's area: it
// opens them, keeps the one in front maximised (the area leaves the others restored when a
// maximised window is deleted, however it was closed), and shows the start page instead of
// the area while no window is left. What shows something of the window in front (the detail
// pane, the response-time dock, the status bar, the tab strip, the commands) follows Changed.
class CFrontWindow : public QObject {
    Q_OBJECT

public:
    CFrontWindow(QMdiArea& area, QWidget& startPage, IViewHost& host, QObject* parent);

    // Opens an analysis window for the request and brings it to the front.
    CVelquorView* Open(const COpenRequest& request);

    // The view and the document of the window in front, or nullptr.
    CVelquorView* View() const;
    CVelquorDoc* Document() const;
    bool HasWindows() const;

signals:
    // The window in front changed, or may have: a window came to the front, opened or
    // closed. `another` is true when a window other than the one in front before came to the
    // front. The area tells no window in front while the program is inactive.
    void Changed(bool another);
    // A window is being destroyed, told at once; Changed follows once the area has let go of
    // it.
    void WindowDestroyed();
    // A window's document changed the state of its commands (a read started or ended).
    void CommandStateChanged();
    // The trace folder of the document in front went missing or came back.
    void FolderStateChanged(const QString& message);

private:
    void OnActivated(QMdiSubWindow* window);
    void OnWindowsChanged();
    void ShowMaximised();
    void ShowStartPage(bool show);

    QMdiArea& m_area;
    QWidget& m_startPage;
    IViewHost& m_host;
    QPointer<QMdiSubWindow> m_lastActivated;
};
