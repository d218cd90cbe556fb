#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CChildFrame.h"
#include "CMainCommands.h"
#include "CMainStatusBar.h"
#include "COpenRequest.h"
#include "CRecentFiles.h"
#include "CStartPage.h"
#include "CTraceDropHelper.h"
#include "CUserGuide.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kStatusMessageMs = 5000;

} // namespace

CMainFrame::CMainFrame()
    : m_tabList(*this), m_wndTabCtrl(*new CWindowTabCtrl(this)),
      m_wndDetailDlg(*new CDetailPaneDlg(this)), m_wndStatusBar(*new CMainStatusBar(this)),
      m_wndToolBar(*new QToolBar(QStringLiteral("Toolbar"), this)), m_wndDlgBar(*new QWidget(this)),
      m_wndDetailBar(*new CSizingBar(QStringLiteral("Trace Detail Output"), this)),
      m_wndResponseTimeDock(*new CResponseTimeDock(this)),
      m_wndResponseTimeBar(
          *new CSizingBar(QStringLiteral("Response Time"), this, Qt::RightDockWidgetArea)),
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
    for (const QObject* part : std::initializer_list<const QObject*>{
             &m_wndDetailBar, &m_wndResponseTimeBar, &m_wndToolBar, m_mdiArea}) {
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

    m_mdiArea->setObjectName(QStringLiteral("m_mdiArea"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&m_wndDlgBar);
    layout->addWidget(m_mdiArea, 1);
    m_startPage = new CStartPage(*m_commands, central);
    layout->addWidget(m_startPage, 1);
    ShowStartPage(true);
    setCentralWidget(central);
    UpdateRecentFiles();

    setDockOptions(QMainWindow::AnimatedDocks);
    m_wndDetailBar.Create(*this, m_wndDetailDlg);
    m_wndResponseTimeBar.setObjectName(QStringLiteral("m_wndResponseTimeBar"));
    m_wndResponseTimeBar.Create(*this, m_wndResponseTimeDock);
    m_wndResponseTimeBar.hide(); // until View, Response Time shows it
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
    connect(c.m_actViewResponseTime, &QAction::triggered, this, &CMainFrame::OnResponseTime);
    connect(&m_wndResponseTimeBar, &QDockWidget::visibilityChanged, this, [this] {
        m_commands->m_actViewResponseTime->setChecked(!m_wndResponseTimeBar.isHidden());
    });
    connect(&m_wndResponseTimeDock, &CResponseTimeDock::StatementActivated, this,
            &CMainFrame::ShowStatementOfActiveView);
    ConnectViewCommand(c.m_actRefreshStart, &CVelquorView::OnRefreshStart);
    ConnectViewCommand(c.m_actRefreshStop, &CVelquorView::OnRefreshStop);
    ConnectViewCommand(c.m_actClear, &CVelquorView::OnClear);
    ConnectViewCommand(c.m_actEditCopy, &CVelquorView::OnEditCopy);
    ConnectViewCommand(c.m_actEditFind, &CVelquorView::OnEditFind);
    ConnectViewCommand(c.m_actFindNext, &CVelquorView::OnFindNext);
    ConnectViewCommand(c.m_actSaveStatements, &CVelquorView::OnSaveStatements);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnWindowActivated);
    for (int i = 0; i < static_cast<int>(c.m_actRecentFiles.size()); ++i) {
        connect(c.m_actRecentFiles[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { OpenRecentFiles(i); });
    }
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
    for (const QString& path : paths) {
        files.push_back(QFile::encodeName(path).toStdString());
    }
    QSettings settings;
    CRecentFiles(settings).Add({paths, showSys});
    UpdateRecentFiles();
    return OpenWindow(COpenRequest::TraceFiles(std::move(files), showSys));
}

void CMainFrame::OpenRecentFiles(int index) {
    if (index < 0 || index >= m_recentSets.size()) {
        return;
    }
    const CRecentFileSet set = m_recentSets.at(index);
    QStringList missing;
    for (const QString& path : set.paths) {
        if (!QFileInfo::exists(path)) {
            missing << path;
        }
    }
    if (missing.isEmpty()) {
        OpenTracePaths(set.paths, set.showSys);
        return;
    }
    QSettings settings;
    CRecentFiles(settings).Remove(set.paths);
    UpdateRecentFiles();
    ShowMessageBox(this, QStringLiteral("Velquor"),
                   (missing.size() == 1 ? QStringLiteral("This file no longer exists:\n")
                                        : QStringLiteral("These files no longer exist:\n")) %
                       missing.join(u'\n') %
                       QStringLiteral("\n\nIts entry was removed from the recent files."));
}

// The entries shown are kept with the menu, so an entry opens what it shows even when
// another copy of the program changed the profile since.
void CMainFrame::UpdateRecentFiles() {
    QSettings settings;
    m_recentSets = CRecentFiles(settings).Sets();
    m_commands->ShowRecentFiles(m_recentSets);
}

CVelquorView* CMainFrame::OpenWindow(const COpenRequest& request) {
    ShowStartPage(false);
    auto* frame = new CChildFrame(*this, request);
    m_mdiArea->addSubWindow(frame);
    CVelquorDoc& doc = frame->Document();
    connect(&doc, &CVelquorDoc::CommandStateChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&doc, &CVelquorDoc::FolderStateChanged, this,
            [this, &doc](const QString& message) { OnFolderStateChanged(doc, message); });
    // The pane may show the closing window's statement: it is emptied at once.
    connect(frame, &QObject::destroyed, this, &CMainFrame::ClearDetailPane);
    connect(frame, &QObject::destroyed, this, &CMainFrame::OnWindowsChanged, Qt::QueuedConnection);
    frame->showMaximized();
    m_mdiArea->setActiveSubWindow(frame);
    CVelquorView& view = frame->View();
    view.OnInitialUpdate();
    OnWindowsChanged();
    return &view;
}

CVelquorView* CMainFrame::ActiveView() const {
    QMdiSubWindow* window = m_mdiArea->currentSubWindow();
    return window != nullptr ? qobject_cast<CVelquorView*>(window->widget()) : nullptr;
}

// After a window opened or closed: the start page while none is left, else the window in
// front maximised with its tab selected.
void CMainFrame::OnWindowsChanged() {
    const QList<QMdiSubWindow*> windows =
        m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    ShowStartPage(windows.isEmpty());
    m_commands->ShowWindowMenu(!windows.isEmpty());
    if (m_mdiArea->currentSubWindow() == nullptr && !windows.isEmpty()) {
        m_mdiArea->setActiveSubWindow(windows.constLast());
    }
    ShowFrontWindowMaximised();
    SelectTabOfActiveWindow();
    UpdateCommandStates();
    UpdateWindowNote();
    m_wndResponseTimeDock.SetDocument(ActiveDocument());
}

// The pane shows a statement of the window in front only: it is emptied when another window
// comes to the front. The area reports no window in front while the program is inactive.
void CMainFrame::OnWindowActivated(QMdiSubWindow* window) {
    if (window != nullptr && window != m_frontWindow) {
        m_frontWindow = window;
        ClearDetailPane();
    }
    ShowFrontWindowMaximised();
    SelectTabOfActiveWindow();
    UpdateCommandStates();
    UpdateWindowNote();
    m_wndResponseTimeDock.SetDocument(ActiveDocument());
}

// The area leaves the other windows restored when the maximised one is destroyed; the one
// that comes to the front is maximised again.
void CMainFrame::ShowFrontWindowMaximised() {
    QMdiSubWindow* front = m_mdiArea->currentSubWindow();
    if (front != nullptr && !front->isMaximized()) {
        front->showMaximized();
    }
}

void CMainFrame::ShowStartPage(bool show) {
    m_startPage->setVisible(show);
    m_mdiArea->setVisible(!show);
}

void CMainFrame::ClearDetailPane() {
    m_wndDetailDlg.SetStatementTexts({}, {}, {});
}

CVelquorDoc* CMainFrame::ActiveDocument() const {
    auto* frame = qobject_cast<CChildFrame*>(m_mdiArea->currentSubWindow());
    return frame != nullptr ? &frame->Document() : nullptr;
}

// What the window in front has to say while it lasts (its trace folder is missing) stands
// in the status bar instead of "Ready".
void CMainFrame::UpdateWindowNote() {
    const CVelquorDoc* doc = ActiveDocument();
    m_wndStatusBar.SetWindowNote(doc != nullptr ? doc->FolderProblem() : QString());
}

void CMainFrame::OnFolderStateChanged(CVelquorDoc& doc, const QString& message) {
    if (&doc != ActiveDocument()) {
        return;
    }
    UpdateWindowNote();
    if (doc.FolderProblem().isEmpty()) {
        m_wndStatusBar.showMessage(message, kStatusMessageMs);
    } else {
        m_wndStatusBar.clearMessage(); // no earlier message covers the note
    }
}

QStatusBar& CMainFrame::StatusBar() {
    return m_wndStatusBar;
}

void CMainFrame::UpdateCommandStates() {
    CMainCommands& c = *m_commands;
    CVelquorView* view = ActiveView();
    const bool hasView = view != nullptr;
    for (QAction* action :
         {c.m_actOpenShowSys, c.m_actOpenHideSys, c.m_actOpenTraceFiles, c.m_actDropShowSys,
          c.m_actDropHideSys, c.m_actAppExit, c.m_actViewToolbar, c.m_actViewStatusBar,
          c.m_actViewDetailPane, c.m_actViewResponseTime}) {
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

void CMainFrame::OnResponseTime() {
    m_wndResponseTimeBar.setVisible(m_wndResponseTimeBar.isHidden());
    m_commands->m_actViewResponseTime->setChecked(!m_wndResponseTimeBar.isHidden());
}

// A group or call-tree node double-clicked in the dock: its statement in the list.
void CMainFrame::ShowStatementOfActiveView(std::int64_t row) {
    if (CVelquorView* view = ActiveView()) {
        view->ShowStatement(static_cast<int>(row));
    }
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
