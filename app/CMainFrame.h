#pragma once

#include "CDetailPaneDlg.h"
#include "CResponseTimeDock.h"
#include "CSizingBar.h"
#include "CWindowTabCtrl.h"
#include "CWindowTabList.h"
#include "IViewHost.h"
#include "IWindowTabOwner.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>

#include <cstdint>

class CCommandTypeCatalog;
class CFrontWindow;
class CMainCommands;
class CMainStatusBar;
class COpenCommands;
class CStartPage;
class CVelquorView;
class QMdiArea;

// The program's one top-level window: menus, toolbar, status bar, the strip of window tabs
// (shown while at least one analysis window is open), the analysis windows, always
// maximised, or the start page while none is open, the detail pane docked at the bottom and
// the response-time dock on the right. It lays them out, keeps their settings and owns the
// pieces that run the flows: the open commands (`COpenCommands`) and the window in front
// (`CFrontWindow`), which the pane, the dock, the status bar, the tab strip and the command
// states follow.
class CMainFrame : public QMainWindow, public IViewHost, public IWindowTabOwner {
    Q_OBJECT

public:
    static constexpr int kTabBarHeight = 26;

    // The catalogue outlives the frame; every window's document filters with it.
    explicit CMainFrame(const CCommandTypeCatalog& catalog);
    ~CMainFrame() override;

    // The view of the current analysis window, or nullptr.
    CVelquorView* ActiveView() const;
    CFrontWindow& FrontWindow() { return *m_frontWindow; }
    COpenCommands& OpenCommands() { return *m_openCommands; }
    QMdiArea& MdiArea() { return *m_mdiArea; }
    CMainCommands& Commands() { return *m_commands; }
    QWidget& DialogBar() { return m_wndDlgBar; }
    CSizingBar& DetailBar() { return m_wndDetailBar; }
    CSizingBar& ResponseTimeBar() { return m_wndResponseTimeBar; }
    CResponseTimeDock& ResponseTimeDock() { return m_wndResponseTimeDock; }
    QToolBar& ToolBar() { return m_wndToolBar; }

    // IViewHost
    const CCommandTypeCatalog& Catalog() const override { return m_catalog; }
    CWindowTabList& TabList() override { return m_tabList; }
    CDetailPaneDlg& DetailDlg() override { return m_wndDetailDlg; }
    QStatusBar& StatusBar() override;

    // IWindowTabOwner
    CWindowTabCtrl* TabCtrl() override { return &m_wndTabCtrl; }
    void LayoutTabBar() override;
    void UpdateTabBarVisibility() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateBars();
    void ConnectCommands();
    void ConnectShellCommands();
    void FollowFrontWindow();
    void RestoreProfile();
    void StartAtShareOfScreen();
    void ConnectViewCommand(QAction* action, void (CVelquorView::*handler)());
    void OnEditCopy();
    void OnDetailPane();
    void OnResponseTime();
    void SelectTabOfActiveWindow();
    void UpdateCommandStates();
    void ClearDetailPane();
    void ShowSelectionOfActiveView();
    void UpdateWindowNote();
    void OnFolderStateChanged(const QString& message);
    void ShowStatementOfActiveView(std::int64_t row);

    const CCommandTypeCatalog& m_catalog;
    // The widgets are children of the frame, which destroys them.
    CWindowTabList m_tabList;
    CWindowTabCtrl& m_wndTabCtrl;
    CDetailPaneDlg& m_wndDetailDlg;
    CMainStatusBar& m_wndStatusBar;
    QToolBar& m_wndToolBar;
    QWidget& m_wndDlgBar; // holds the tab strip
    CSizingBar& m_wndDetailBar;
    CResponseTimeDock& m_wndResponseTimeDock; // shows the window in front
    CSizingBar& m_wndResponseTimeBar;
    QMdiArea* m_mdiArea;
    CMainCommands* m_commands;
    CStartPage* m_startPage = nullptr;
    CFrontWindow* m_frontWindow = nullptr;
    COpenCommands* m_openCommands = nullptr;
};
