#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CChildFrame.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "CMainStatusBar.h"
#include "COpenCommands.h"
#include "CStartPage.h"
#include "CTraceDropHelper.h"
#include "CUserGuide.h"
#include "CVelquorView.h"
#include "RowsText.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kStatusMessageMs = 5000;
constexpr double kFirstStartShare = 0.75;

} // namespace

CMainFrame::CMainFrame(const CCommandTypeCatalog& catalog)
    : m_catalog(catalog), m_tabList(*this), m_wndTabCtrl(*new CWindowTabCtrl(this)),
      m_wndDetailDlg(*new CDetailPaneDlg(this)), m_wndStatusBar(*new CMainStatusBar(this)),
      m_wndToolBar(*new QToolBar(QStringLiteral("Toolbar"), this)), m_wndDlgBar(*new QWidget(this)),
      m_wndDetailBar(*new CSizingBar(QStringLiteral("Trace Detail Output"), this)),
      m_wndResponseTimeDock(*new CResponseTimeDock(this)),
      m_wndResponseTimeBar(
          *new CSizingBar(QStringLiteral("Response Time"), this, Qt::RightDockWidgetArea)),
      m_mdiArea(new QMdiArea(this)), m_commands(new CMainCommands(*this)) {
    setWindowTitle(QStringLiteral("Velquor"));
    CreateBars();
    m_frontWindow = new CFrontWindow(*m_mdiArea, *m_startPage, *this, this);
    m_openCommands = new COpenCommands(*this, *m_commands, *m_frontWindow, m_catalog);
    ConnectCommands();
    ConnectShellCommands();
    FollowFrontWindow();
    RestoreProfile();
    setAcceptDrops(true);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    // The views leave the tab list while the frame's parts still exist; closed windows whose
    // deletion is still pending go too.
    const QList<CChildFrame*> windows = m_mdiArea->findChildren<CChildFrame*>();
    qDeleteAll(windows);
    // The bars report their hiding, and the area its last window, while the base class
    // destroys them; nobody listens then.
    for (const QObject* part : std::initializer_list<const QObject*>{
             &m_wndDetailBar, &m_wndResponseTimeBar, &m_wndToolBar, m_frontWindow}) {
        disconnect(part, nullptr, this, nullptr);
    }
    disconnect(m_mdiArea, nullptr, m_frontWindow, nullptr);
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
    setCentralWidget(central);

    setDockOptions(QMainWindow::AnimatedDocks);
    m_wndDetailBar.Create(*this, m_wndDetailDlg);
    m_wndResponseTimeBar.setObjectName(QStringLiteral("m_wndResponseTimeBar"));
    m_wndResponseTimeBar.Create(*this, m_wndResponseTimeDock);
    m_wndResponseTimeBar.hide(); // until View, Response Time shows it
}

void CMainFrame::ConnectCommands() {
    CMainCommands& c = *m_commands;
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
    ConnectViewCommand(c.m_actReadAgain, &CVelquorView::OnReadAgain);
    connect(&m_wndDetailDlg, &CDetailPaneDlg::ReadAgainRequested, c.m_actReadAgain,
            &QAction::trigger);
    connect(c.m_actEditCopy, &QAction::triggered, this, &CMainFrame::OnEditCopy);
    ConnectViewCommand(c.m_actEditFind, &CVelquorView::OnEditFind);
    ConnectViewCommand(c.m_actFindNext, &CVelquorView::OnFindNext);
    ConnectViewCommand(c.m_actSaveStatements, &CVelquorView::OnSaveStatements);
}

void CMainFrame::ConnectViewCommand(QAction* action, void (CVelquorView::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] {
        if (CVelquorView* view = ActiveView()) {
            (view->*handler)();
        }
    });
}

CVelquorView* CMainFrame::ActiveView() const {
    return m_frontWindow->View();
}

// Everything that shows something of the window in front follows it. The pane shows a
// statement of the window in front only: the one selected in the window that comes to the
// front, if any, and none at once when a window goes.
void CMainFrame::FollowFrontWindow() {
    const CFrontWindow& front = *m_frontWindow;
    connect(&front, &CFrontWindow::Changed, this, [this](bool another) {
        if (another) {
            ShowSelectionOfActiveView();
        }
    });
    connect(&front, &CFrontWindow::WindowDestroyed, this, &CMainFrame::ClearDetailPane);
    connect(&front, &CFrontWindow::Changed, this, &CMainFrame::SelectTabOfActiveWindow);
    connect(&front, &CFrontWindow::Changed, this, &CMainFrame::UpdateCommandStates);
    connect(&front, &CFrontWindow::CommandStateChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&front, &CFrontWindow::Changed, this, &CMainFrame::UpdateWindowNote);
    connect(&front, &CFrontWindow::FolderStateChanged, this, &CMainFrame::OnFolderStateChanged);
    connect(&front, &CFrontWindow::Changed, this,
            [this] { m_wndResponseTimeDock.SetDocument(m_frontWindow->Document()); });
}

void CMainFrame::ClearDetailPane() {
    m_wndDetailDlg.SetStatementTexts({}, {}, {});
}

void CMainFrame::ShowSelectionOfActiveView() {
    if (CVelquorView* view = ActiveView()) {
        view->ShowSelectionInPane();
    } else {
        ClearDetailPane();
    }
}

// What the window in front has to say while it lasts (its trace folder is missing) stands
// in the status bar instead of "Ready".
void CMainFrame::UpdateWindowNote() {
    const CVelquorDoc* doc = m_frontWindow->Document();
    m_wndStatusBar.SetWindowNote(doc != nullptr ? doc->FolderProblem() : QString());
}

void CMainFrame::OnFolderStateChanged(const QString& message) {
    UpdateWindowNote();
    if (m_frontWindow->Document()->FolderProblem().isEmpty()) {
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
    c.ShowWindowMenu(m_frontWindow->HasWindows());
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
    // Start and Stop belong to live windows; a file window reads its files again instead.
    const bool live = hasView && view->IsLiveMode();
    c.m_actRefreshStart->setEnabled(live && !view->IsRunning());
    c.m_actRefreshStop->setEnabled(live && view->IsRunning());
    c.m_actReadAgain->setEnabled(hasView && view->Document().CanReadAgain());
}

// Copy takes what has the focus: the rows selected in the statement list or in a view of
// the response-time dock, as tab-separated text with a heading line; else the text selected
// in the detail pane.
void CMainFrame::OnEditCopy() {
    CVelquorView* view = ActiveView();
    if (view == nullptr) {
        return;
    }
    const auto* items = qobject_cast<const QAbstractItemView*>(QApplication::focusWidget());
    const bool ours =
        items == view || (items != nullptr && m_wndResponseTimeDock.isAncestorOf(items));
    const QString rows = ours ? SelectedRowsText(*items) : QString();
    if (rows.isEmpty()) {
        view->OnEditCopy();
    } else {
        QGuiApplication::clipboard()->setText(rows);
    }
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

// The user guide and the About box do not depend on an open window.
void CMainFrame::ConnectShellCommands() {
    CMainCommands& c = *m_commands;
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
    if (!restoreGeometry(settings.value(QStringLiteral("MainFrame/Geometry")).toByteArray())) {
        StartAtShareOfScreen();
    }
    restoreState(settings.value(QStringLiteral("MainFrame/State")).toByteArray());
    const int height = settings.value(QStringLiteral("MainFrame/DetailPaneHeight")).toInt();
    if (height > 0) {
        resizeDocks({&m_wndDetailBar}, {height}, Qt::Vertical);
    }
}

// The first start takes three quarters of the screen, in its middle, as a desktop program
// does; the widgets' own wishes would make a narrow strip.
void CMainFrame::StartAtShareOfScreen() {
    const QRect available = screen()->availableGeometry();
    const QSize size = available.size() * kFirstStartShare;
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, available));
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

void CMainFrame::dropEvent(QDropEvent* event) {
    if (m_openCommands->OpenDropped(event->mimeData())) {
        event->acceptProposedAction();
    }
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
