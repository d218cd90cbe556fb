#pragma once

#include "CDetailPaneDlg.h"
#include "CRecentFiles.h"
#include "CResponseTimeDock.h"
#include "CSizingBar.h"
#include "CWindowTabCtrl.h"
#include "CWindowTabList.h"
#include "IViewHost.h"
#include "IWindowTabOwner.h"

#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

class CMainCommands;
class CMainStatusBar;
class CStartPage;
class CVelquorDoc;
class CVelquorView;
struct COpenRequest;
class QMdiArea;
class QMdiSubWindow;

// The program's one top-level window: menus, toolbar, status bar, the strip of window tabs
// (shown while at least one analysis window is open), the analysis windows, always
// maximised, or the start page while none is open, the detail pane docked at the bottom and
// the response-time dock on the right. Opening, closing or switching windows empties the
// detail pane; the response-time dock shows the window in front.
class CMainFrame : public QMainWindow, public IViewHost, public IWindowTabOwner {
    Q_OBJECT

public:
    static constexpr int kTabBarHeight = 26;

    CMainFrame();
    ~CMainFrame() override;

    // Opens one file-mode window for trace files, as the Open commands do after their
    // dialog, and puts the files first in the recent files.
    CVelquorView* OpenTracePaths(const QStringList& paths, bool showSys);
    // Opens the recent file set of the File menu's entry `index` again, with its SYS
    // choice; a file that is gone is reported and its entry leaves the list.
    void OpenRecentFiles(int index);
    // Opens an analysis window for the request and makes it the active one.
    CVelquorView* OpenWindow(const COpenRequest& request);

    // The view of the current analysis window, or nullptr.
    CVelquorView* ActiveView() const;
    QMdiArea& MdiArea() { return *m_mdiArea; }
    CMainCommands& Commands() { return *m_commands; }
    QWidget& DialogBar() { return m_wndDlgBar; }
    CSizingBar& DetailBar() { return m_wndDetailBar; }
    CSizingBar& ResponseTimeBar() { return m_wndResponseTimeBar; }
    CResponseTimeDock& ResponseTimeDock() { return m_wndResponseTimeDock; }
    QToolBar& ToolBar() { return m_wndToolBar; }

    void OnDetailPane();
    void OnResponseTime();

    // IViewHost
    const CCommandTypeCatalog& Catalog() const override;
    CWindowTabList& TabList() override { return m_tabList; }
    CDetailPaneDlg& DetailDlg() override { return m_wndDetailDlg; }
    QStatusBar& StatusBar() override;

    // IWindowTabOwner
    CWindowTabCtrl* TabCtrl() override { return &m_wndTabCtrl; }
    void LayoutTabBar() override;
    void UpdateTabBarVisibility() override;

    // The frame's parts. The widgets are children of the frame, which destroys them.
    CWindowTabList m_tabList;
    CWindowTabCtrl& m_wndTabCtrl;
    CDetailPaneDlg& m_wndDetailDlg;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateBars();
    void ConnectCommands();
    void ConnectShellCommands();
    void RestoreProfile();
    void ConnectViewCommand(QAction* action, void (CVelquorView::*handler)());
    void OnWindowsChanged();
    void OnWindowActivated(QMdiSubWindow* window);
    void ShowFrontWindowMaximised();
    void SelectTabOfActiveWindow();
    void UpdateCommandStates();
    void UpdateRecentFiles();
    void ShowStartPage(bool show);
    void ClearDetailPane();
    CVelquorDoc* ActiveDocument() const;
    void UpdateWindowNote();
    void OnFolderStateChanged(CVelquorDoc& doc, const QString& message);
    void ShowStatementOfActiveView(std::int64_t row);

    CMainStatusBar& m_wndStatusBar;
    QToolBar& m_wndToolBar;
    QWidget& m_wndDlgBar; // holds the tab strip
    CSizingBar& m_wndDetailBar;
    CResponseTimeDock& m_wndResponseTimeDock; // shows the window in front
    CSizingBar& m_wndResponseTimeBar;
    QMdiArea* m_mdiArea;
    CMainCommands* m_commands;
    CStartPage* m_startPage = nullptr;
    QPointer<QMdiSubWindow> m_frontWindow; // the window activated last
    QList<CRecentFileSet> m_recentSets;    // as the File menu shows them
};
