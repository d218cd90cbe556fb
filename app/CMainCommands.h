#pragma once

#include "CRecentFiles.h"

#include <QObject>

#include <array>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

// The main frame's commands: every action with its text, shortcuts, status-bar prompt, tool
// tip and icon, the menus and the toolbar with its drop-down for the two open commands.
// Each action's object name is its command name ("ID_EDIT_FIND").
class CMainCommands : public QObject {
    Q_OBJECT

public:
    explicit CMainCommands(QMainWindow& frame);

    void BuildMenus(QMenuBar& menuBar);
    void BuildToolBar(QToolBar& toolBar);
    // The window menu (an analysis window is open) or the empty-frame menu.
    void ShowWindowMenu(bool windowOpen);
    // Entry i of the File menu's recent files opens sets[i]: "&1 name" and so on, above
    // Exit; entries without a set are hidden.
    void ShowRecentFiles(const QList<CRecentFileSet>& sets);

    QAction* m_actFileNew;        // 57600 Sniffer
    QAction* m_actOpenShowSys;    // 32791
    QAction* m_actOpenHideSys;    // 32792
    QAction* m_actOpenTraceFiles; // 32784, toolbar
    QAction* m_actDropShowSys;    // 32791 in the toolbar drop-down
    QAction* m_actDropHideSys;    // 32792 in the toolbar drop-down
    QAction* m_actFileClose;      // 57602
    QAction* m_actReadAgain;      // a file window's files read again from their start
    QAction* m_actSaveStatements; // 32780
    QAction* m_actAppExit;        // 57665
    QAction* m_actEditCopy;       // 57634
    QAction* m_actEditFind;       // 57636
    QAction* m_actFindNext;       // 32777
    QAction* m_actViewToolbar;    // 59392
    QAction* m_actViewStatusBar;  // 59393
    QAction* m_actViewDetailPane; // 32776
    QAction* m_actViewResponseTime;
    QAction* m_actHelpUsing;           // 32793
    QAction* m_actAppAbout;            // 57664
    QAction* m_actRefreshStart;        // 32772
    QAction* m_actRefreshStop;         // 32771
    QAction* m_actClear;               // 32773
    std::vector<QAction*> m_unhandled; // print, paste, cut, undo, next and previous pane

    std::array<QAction*, CRecentFiles::s_nMaxFiles> m_actRecentFiles; // 57616 to 57619
    QMenu* m_menuEdit = nullptr;
    QMenu* m_menuOpen = nullptr; // the drop-down of the second toolbar button
    QToolButton* m_openButton = nullptr;
    QAction* m_recentSeparator = nullptr; // between the recent files and Exit

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* Make(const char* name, const QString& text, const QString& prompt = {},
                  const QString& tip = {});
    void CreateUnhandled();

    QMainWindow& m_frame;
    std::vector<QObject*> m_noTipButtons; // toolbar buttons whose command has no tool tip
};
