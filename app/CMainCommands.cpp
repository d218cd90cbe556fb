#include "CMainCommands.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

QIcon Icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/") % QLatin1String(name) % QStringLiteral(".svg"));
}

} // namespace

CMainCommands::CMainCommands(QMainWindow& frame) : QObject(&frame), m_frame(frame) {
    m_actFileNew =
        Make("ID_FILE_NEW", QStringLiteral("Sniffer"), QStringLiteral("Create a new trace sniffer"),
             QStringLiteral("trace sniffer"));
    m_actFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actFileNew->setIcon(Icon("sniffer"));
    m_actOpenShowSys = Make("ID_OPEN_SHOW_SYS", QStringLiteral("&Open[Show Sys]..."));
    m_actOpenShowSys->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_actOpenHideSys = Make("ID_OPEN_HIDE_SYS", QStringLiteral("Open[&Hide Sys]..."));
    m_actOpenTraceFiles =
        Make("ID_OPEN_TRACE_FILES", QStringLiteral("Open trace Files"),
             QStringLiteral("Open selected trace files "), QStringLiteral("Open trace Files"));
    m_actOpenTraceFiles->setIcon(Icon("open"));
    m_actDropShowSys = Make("ID_OPEN_SHOW_SYS_DROPDOWN", QStringLiteral("Open-Show Sys"));
    m_actDropHideSys = Make("ID_OPEN_HIDE_SYS_DROPDOWN", QStringLiteral("Open-Hide Sys"));
    m_actFileClose = Make("ID_FILE_CLOSE", QStringLiteral("&Close"),
                          QStringLiteral("Close the active document"), QStringLiteral("Close"));
    m_actReadAgain = Make(
        "ID_READ_AGAIN", QStringLiteral("&Read Again"),
        QStringLiteral("Read the window's trace files again from their start, as they are now"));
    m_actReadAgain->setShortcut(QKeySequence(Qt::Key_F5));
    m_actSaveStatements = Make("ID_SAVE_STATEMENTS", QStringLiteral("Save"));
    m_actSaveStatements->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_actSaveStatements->setIcon(Icon("save"));
    m_actAppExit = Make("ID_APP_EXIT", QStringLiteral("E&xit"),
                        QStringLiteral("Quit the application"), QStringLiteral("Exit"));
    m_actEditCopy = Make("ID_EDIT_COPY", QStringLiteral("&Copy\tCtrl+C"),
                         QStringLiteral("Copy the selection and put it on the Clipboard"),
                         QStringLiteral("Copy"));
    m_actEditCopy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    m_actEditCopy->setIcon(Icon("copy"));
    m_actEditFind = Make("ID_EDIT_FIND", QStringLiteral("Find"),
                         QStringLiteral("Find the specified text"), QStringLiteral("Find"));
    m_actEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_actEditFind->setIcon(Icon("find"));
    m_actFindNext = Make("ID_FIND_NEXT", QStringLiteral("Find Next"));
    m_actFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    m_actViewToolbar =
        Make("ID_VIEW_TOOLBAR", QStringLiteral("&Toolbar"),
             QStringLiteral("Show or hide the toolbar"), QStringLiteral("Toggle ToolBar"));
    m_actViewStatusBar =
        Make("ID_VIEW_STATUS_BAR", QStringLiteral("&Status Bar"),
             QStringLiteral("Show or hide the status bar"), QStringLiteral("Toggle StatusBar"));
    m_actViewDetailPane = Make("ID_VIEW_DETAIL_PANE", QStringLiteral("Detail Pane"));
    m_actViewResponseTime =
        Make("ID_VIEW_RESPONSE_TIME", QStringLiteral("Response Time"),
             QStringLiteral("Show or hide where the time of the window in front went"));
    for (QAction* toggle :
         {m_actViewToolbar, m_actViewStatusBar, m_actViewDetailPane, m_actViewResponseTime}) {
        toggle->setCheckable(true);
        toggle->setChecked(toggle != m_actViewResponseTime);
    }
    m_actHelpUsing = Make("ID_HELP_USING", QStringLiteral("How to Using Velquor"));
    m_actAppAbout =
        Make("ID_APP_ABOUT", QStringLiteral("&About Velquor..."),
             QStringLiteral("Display program information, version number and copyright"),
             QStringLiteral("About"));
    m_actAppAbout->setIcon(Icon("about"));
    m_actRefreshStart = Make("ID_REFRESH_START", QStringLiteral("Start"));
    m_actRefreshStart->setIcon(Icon("start"));
    m_actRefreshStop = Make("ID_REFRESH_STOP", QStringLiteral("Stop"));
    m_actRefreshStop->setIcon(Icon("stop"));
    m_actClear = Make("ID_CLEAR", QStringLiteral("Clear"), QStringLiteral("clear"));
    m_actClear->setIcon(Icon("clear"));
    for (std::size_t i = 0; i < m_actRecentFiles.size(); ++i) {
        const QByteArray name = "ID_FILE_MRU_FILE" + QByteArray::number(i + 1);
        m_actRecentFiles[i] = Make(name.constData(), QString());
        m_actRecentFiles[i]->setEnabled(true);
        m_actRecentFiles[i]->setVisible(false);
    }
    CreateUnhandled();

    m_menuOpen = new QMenu(QStringLiteral("OPEN"), &m_frame);
    m_menuOpen->addAction(m_actDropShowSys);
    m_menuOpen->addAction(m_actDropHideSys);
}

QAction* CMainCommands::Make(const char* name, const QString& text, const QString& prompt,
                             const QString& tip) {
    auto* action = new QAction(text, &m_frame);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(prompt);
    if (!tip.isEmpty()) {
        action->setToolTip(tip);
    }
    action->setEnabled(false);
    m_frame.addAction(action); // its shortcuts work whatever menu is shown
    return action;
}

// Commands that no part of the program handles keep their keys but stay disabled.
void CMainCommands::CreateUnhandled() {
    const std::pair<const char*, QList<QKeySequence>> keys[] = {
        {"ID_FILE_PRINT", {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {"ID_EDIT_PASTE",
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {"ID_EDIT_CUT",
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {"ID_EDIT_UNDO",
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {"ID_NEXT_PANE", {QKeySequence(Qt::Key_F6)}},
        {"ID_PREV_PANE", {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const auto& [name, sequences] : keys) {
        QAction* action = Make(name, QString());
        action->setShortcuts(sequences);
        m_unhandled.push_back(action);
    }
}

void CMainCommands::BuildMenus(QMenuBar& menuBar) {
    QMenu* file = menuBar.addMenu(QStringLiteral("&File"));
    file->addAction(m_actFileNew);
    file->addSeparator();
    file->addAction(m_actOpenShowSys);
    file->addAction(m_actOpenHideSys);
    file->addSeparator();
    file->addAction(m_actFileClose);
    file->addAction(m_actReadAgain);
    file->addSeparator();
    file->addAction(m_actSaveStatements);
    file->addSeparator();
    for (QAction* recent : m_actRecentFiles) {
        file->addAction(recent);
    }
    m_recentSeparator = file->addSeparator();
    m_recentSeparator->setVisible(false);
    file->addAction(m_actAppExit);

    m_menuEdit = menuBar.addMenu(QStringLiteral("&Edit"));
    m_menuEdit->addAction(m_actEditCopy);
    m_menuEdit->addSeparator();
    m_menuEdit->addAction(m_actEditFind);
    m_menuEdit->addAction(m_actFindNext);

    QMenu* view = menuBar.addMenu(QStringLiteral("&View"));
    view->addAction(m_actViewToolbar);
    view->addAction(m_actViewStatusBar);
    view->addAction(m_actViewDetailPane);
    view->addAction(m_actViewResponseTime);

    QMenu* help = menuBar.addMenu(QStringLiteral("&Help"));
    help->addAction(m_actHelpUsing);
    help->addAction(m_actAppAbout);
    ShowWindowMenu(false);
}

void CMainCommands::BuildToolBar(QToolBar& toolBar) {
    toolBar.setIconSize(QSize(16, 16));
    toolBar.addAction(m_actFileNew);
    toolBar.addAction(m_actOpenTraceFiles);
    toolBar.addAction(m_actSaveStatements);
    toolBar.addSeparator();
    toolBar.addAction(m_actRefreshStart);
    toolBar.addAction(m_actRefreshStop);
    toolBar.addSeparator();
    toolBar.addAction(m_actEditFind);
    toolBar.addAction(m_actEditCopy);
    toolBar.addAction(m_actClear);
    toolBar.addSeparator();
    toolBar.addAction(m_actAppAbout);

    m_openButton = qobject_cast<QToolButton*>(toolBar.widgetForAction(m_actOpenTraceFiles));
    m_openButton->setMenu(m_menuOpen);
    m_openButton->setPopupMode(QToolButton::MenuButtonPopup);
    for (QAction* action : {m_actSaveStatements, m_actRefreshStart, m_actRefreshStop, m_actClear}) {
        QWidget* button = toolBar.widgetForAction(action);
        button->installEventFilter(this);
        m_noTipButtons.push_back(button);
    }
}

void CMainCommands::ShowWindowMenu(bool windowOpen) {
    m_menuEdit->menuAction()->setVisible(windowOpen);
    m_actSaveStatements->setText(windowOpen ? QStringLiteral("&Save\tCtrl+S")
                                            : QStringLiteral("Save"));
}

void CMainCommands::ShowRecentFiles(const QList<CRecentFileSet>& sets) {
    for (std::size_t i = 0; i < m_actRecentFiles.size(); ++i) {
        QAction* action = m_actRecentFiles[i];
        const bool shown = static_cast<qsizetype>(i) < sets.size();
        action->setVisible(shown);
        if (shown) {
            const CRecentFileSet& set = sets.at(static_cast<qsizetype>(i));
            QString name = CRecentFiles::DisplayName(set);
            name.replace(u'&', QStringLiteral("&&"));
            action->setText(QLatin1Char('&') % QString::number(i + 1) % QLatin1Char(' ') % name);
            action->setStatusTip(set.paths.join(QStringLiteral("; ")));
        }
    }
    m_recentSeparator->setVisible(!sets.isEmpty());
}

bool CMainCommands::eventFilter(QObject* watched, QEvent* event) {
    const bool noTip =
        std::find(m_noTipButtons.begin(), m_noTipButtons.end(), watched) != m_noTipButtons.end();
    if (noTip && event->type() == QEvent::ToolTip) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}
