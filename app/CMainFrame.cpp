#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CChildFrame.h"
#include "CMainCommands.h"
#include "CMainStatusBar.h"
#include "COpenRequest.h"
#include "CRecentFiles.h"
#include "CTraceDropHelper.h"
#include "CUserGuide.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

CMainFrame::CMainFrame()
    : m_tabList(*this), m_wndTabCtrl(*new CWindowTabCtrl(this)),
      m_wndDetailDlg(*new CDetailPaneDlg(this)), m_wndStatusBar(*new CMainStatusBar(this)),
      m_wndToolBar(*new QToolBar(QStringLiteral("Toolbar"), this)), m_wndDlgBar(*new QWidget(this)),
      m_wndDetailBar(*new CSizingBar(QStringLiteral("Trace Detail Output"), this)),
      m_mdiArea(new QMdiArea(this)), m_commands(new CMainCommands(*this)) {
    setWindowTitle(QStringLiteral("Velquor"));
    CreateBars();
    ConnectCommands();
    ConnectShellCommands();
    RestoreProfile();
    setAcceptDrops(true);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    // The views leave the tab list while the frame's parts still exist; closed windows whose
    // deletion is still pending go too.
    const QList<CChildFrame*> windows = m_mdiArea->findChildren<CChildFrame*>();
    qDeleteAll(windows);
    // The bars report their hiding while the base class destroys them; nobody listens then.
    for (const QObject* part :
         std::initializer_list<const QObject*>{&m_wndDetailBar, &m_wndToolBar, m_mdiArea}) {
        disconnect(part, nullptr, this, nullptr);
    }
}

void CMainFrame::CreateBars() {
    m_commands->BuildMenus(*menuBar());
    m_wndToolBar.setObjectName(QStringLiteral("m_wndToolBar"));
    m_wndToolBar.setAllowedAreas(Qt::AllToolBarAreas);
    m_commands->BuildToolBar(m_wndToolBar);
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
    setStatusBar(&m_wndStatusBar);

    // The dialog bar with the tab strip sits above the windows, hidden until one opens.
    m_wndDlgBar.setObjectName(QStringLiteral("m_wndDlgBar"));
    m_wndDlgBar.setFixedHeight(kTabBarHeight);
    auto* barLayout = new QVBoxLayout(&m_wndDlgBar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(&m_wndTabCtrl);
    m_wndDlgBar.hide();
    m_wndTabCtrl.SetDetailPane(&m_wndDetailDlg);

    m_mdiArea->setObjectName(QStringLiteral("m_mdiArea"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&m_wndDlgBar);
    layout->addWidget(m_mdiArea, 1);
    setCentralWidget(central);

    setDockOptions(QMainWindow::AnimatedDocks);
    m_wndDetailBar.Create(*this, m_wndDetailDlg);
}

void CMainFrame::ConnectCommands() {
    CMainCommands& c = *m_commands;
    connect(c.m_actOpenShowSys, &QAction::triggered, this, [] { theApp.OpenTraceFiles(true); });
    connect(c.m_actOpenTraceFiles, &QAction::triggered, this, [] { theApp.OpenTraceFiles(true); });
    connect(c.m_actDropShowSys, &QAction::triggered, this, [] { theApp.OpenTraceFiles(true); });
    connect(c.m_actOpenHideSys, &QAction::triggered, this, [] { theApp.OpenTraceFiles(false); });
    connect(c.m_actDropHideSys, &QAction::triggered, this, [] { theApp.OpenTraceFiles(false); });
    connect(c.m_actFileClose, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* window = m_mdiArea->currentSubWindow()) {
            window->close();
        }
    });
    connect(c.m_actAppExit, &QAction::triggered, this, &QMainWindow::close);
    connect(c.m_actViewToolbar, &QAction::toggled, &m_wndToolBar, &QWidget::setVisible);
    connect(&m_wndToolBar, &QToolBar::visibilityChanged, this,
            [this] { m_commands->m_actViewToolbar->setChecked(!m_wndToolBar.isHidden()); });
    connect(c.m_actViewStatusBar, &QAction::toggled, &m_wndStatusBar, &QWidget::setVisible);
    connect(c.m_actViewDetailPane, &QAction::triggered, this, &CMainFrame::OnDetailPane);
    connect(&m_wndDetailBar, &QDockWidget::visibilityChanged, this,
            [this] { m_commands->m_actViewDetailPane->setChecked(!m_wndDetailBar.isHidden()); });
    ConnectViewCommand(c.m_actRefreshStart, &CVelquorView::OnRefreshStart);
    ConnectViewCommand(c.m_actRefreshStop, &CVelquorView::OnRefreshStop);
    ConnectViewCommand(c.m_actClear, &CVelquorView::OnClear);
    ConnectViewCommand(c.m_actEditCopy, &CVelquorView::OnEditCopy);
    ConnectViewCommand(c.m_actEditFind, &CVelquorView::OnEditFind);
    ConnectViewCommand(c.m_actFindNext, &CVelquorView::OnFindNext);
    ConnectViewCommand(c.m_actSaveStatements, &CVelquorView::OnSaveStatements);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandStates);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::SelectTabOfActiveWindow);
}

void CMainFrame::ConnectViewCommand(QAction* action, void (CVelquorView::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] {
        if (CVelquorView* view = ActiveView()) {
            (view->*handler)();
        }
    });
}

CVelquorView* CMainFrame::OpenTracePaths(const QStringList& paths, bool showSys) {
    if (paths.isEmpty()) {
        return nullptr;
    }
    std::vector<std::string> files;
    QSettings settings;
    CRecentFiles recent(settings);
    for (const QString& path : paths) {
        files.push_back(QFile::encodeName(path).toStdString());
        recent.Add(path);
    }
    return OpenWindow(COpenRequest::TraceFiles(std::move(files), showSys));
}

CVelquorView* CMainFrame::OpenWindow(const COpenRequest& request) {
    auto* frame = new CChildFrame(*this, request);
    m_mdiArea->addSubWindow(frame);
    connect(&frame->Document(), &CVelquorDoc::CommandStateChanged, this,
            &CMainFrame::UpdateCommandStates);
    connect(frame, &QObject::destroyed, this, &CMainFrame::OnWindowsChanged, Qt::QueuedConnection);
    frame->showMaximized();
    m_mdiArea->setActiveSubWindow(frame);
    CVelquorView& view = frame->View();
    view.OnInitialUpdate();
    SelectTabOfActiveWindow();
    OnWindowsChanged();
    return &view;
}

CVelquorView* CMainFrame::ActiveView() const {
    QMdiSubWindow* window = m_mdiArea->currentSubWindow();
    return window != nullptr ? qobject_cast<CVelquorView*>(window->widget()) : nullptr;
}

void CMainFrame::OnWindowsChanged() {
    m_commands->ShowWindowMenu(!m_mdiArea->subWindowList().isEmpty());
    UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates() {
    CMainCommands& c = *m_commands;
    CVelquorView* view = ActiveView();
    const bool hasView = view != nullptr;
    for (QAction* action : {c.m_actOpenShowSys, c.m_actOpenHideSys, c.m_actOpenTraceFiles,
                            c.m_actDropShowSys, c.m_actDropHideSys, c.m_actAppExit,
                            c.m_actViewToolbar, c.m_actViewStatusBar, c.m_actViewDetailPane}) {
        action->setEnabled(true);
    }
    for (QAction* action : {c.m_actFileClose, c.m_actClear, c.m_actEditCopy, c.m_actEditFind,
                            c.m_actFindNext, c.m_actSaveStatements}) {
        action->setEnabled(hasView);
    }
    c.m_actRefreshStart->setEnabled(hasView && !view->IsRunning());
    c.m_actRefreshStop->setEnabled(hasView && view->IsRunning());
}

void CMainFrame::OnDetailPane() {
    m_wndDetailBar.setVisible(m_wndDetailBar.isHidden());
    m_commands->m_actViewDetailPane->setChecked(!m_wndDetailBar.isHidden());
    LayoutTabBar();
}

void CMainFrame::LayoutTabBar() {
    m_wndDlgBar.setFixedHeight(kTabBarHeight);
    m_wndTabCtrl.setGeometry(m_wndDlgBar.rect());
    m_wndDlgBar.update();
}

void CMainFrame::UpdateTabBarVisibility() {
    m_wndDlgBar.setVisible(m_tabList.GetCount() > 0);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutTabBar();
}

const CCommandTypeCatalog& CMainFrame::Catalog() const {
    return theApp.Catalog();
}

// Sniffer, the user guide and the About box do not depend on an open window.
void CMainFrame::ConnectShellCommands() {
    CMainCommands& c = *m_commands;
    connect(c.m_actFileNew, &QAction::triggered, this, [] { theApp.OnFileNew(); });
    connect(c.m_actHelpUsing, &QAction::triggered, this,
            [this] { CUserGuide().OpenOrReport(this); });
    connect(c.m_actAppAbout, &QAction::triggered, this, [this] {
        CAboutDlg about(this);
        about.exec();
    });
    for (QAction* action : {c.m_actFileNew, c.m_actHelpUsing, c.m_actAppAbout}) {
        action->setEnabled(true);
    }
}

// The window comes back where the user left it: geometry, bars and the detail pane's height.
void CMainFrame::RestoreProfile() {
    m_wndDetailBar.setObjectName(QStringLiteral("m_wndDetailBar"));
    const QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("MainFrame/Geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("MainFrame/State")).toByteArray());
    const int height = settings.value(QStringLiteral("MainFrame/DetailPaneHeight")).toInt();
    if (height > 0) {
        resizeDocks({&m_wndDetailBar}, {height}, Qt::Vertical);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    QSettings settings;
    settings.setValue(QStringLiteral("MainFrame/Geometry"), saveGeometry());
    settings.setValue(QStringLiteral("MainFrame/State"), saveState());
    settings.setValue(QStringLiteral("MainFrame/DetailPaneHeight"), m_wndDetailBar.height());
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (CTraceDropHelper::HasTraceFiles(event->mimeData())) {
        event->acceptProposedAction();
    }
}

// Dropped trace files open as "&Open[Show Sys]..." opens them: one window for all.
void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = CTraceDropHelper::TraceFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    OpenTracePaths(paths, true);
}

// The selected tab follows the window in front, so the strip always names what is shown.
void CMainFrame::SelectTabOfActiveWindow() {
    CVelquorView* view = ActiveView();
    for (int i = 0; view != nullptr && i < m_wndTabCtrl.GetItemCount(); ++i) {
        if (m_wndTabCtrl.GetTabView(i) == view) {
            m_wndTabCtrl.SetCurSel(i);
            return;
        }
    }
}
