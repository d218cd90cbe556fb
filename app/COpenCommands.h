#pragma once

#include "CRecentFiles.h"

#include <QList>
#include <QObject>
#include <QStringList>

class CCommandTypeCatalog;
class CFrontWindow;
class CMainCommands;
class CVelquorView;
class QMimeData;
class QWidget;

// The commands that open analysis windows: "&Open[Show Sys]..." and "&Open[Hide Sys]..."
// (with the toolbar's button and its drop-down), Sniffer, the File menu's recent files and
// trace files dropped on the frame. Each builds an open request and hands it to the windows
// of the frame.
class COpenCommands : public QObject {
    Q_OBJECT

public:
    // `frame` is the parent of the dialogs and message boxes; the commands' actions are
    // connected at once.
    COpenCommands(QWidget& frame, CMainCommands& commands, CFrontWindow& windows,
                  const CCommandTypeCatalog& catalog);

    // Open[Show Sys] (true) and Open[Hide Sys] (false): asks for trace files and opens one
    // window for all of them.
    void OpenTraceFiles(bool showSys);
    // Sniffer: the user picks a stored live trace, and a live window follows its folder.
    void OpenLiveTrace();
    // Opens one file-mode window for trace files, as the Open commands do after their
    // dialog, and puts the files first in the recent files.
    CVelquorView* OpenTracePaths(const QStringList& paths, bool showSys);
    // Opens the recent file set of the File menu's entry `index` again, with its SYS
    // choice; a file that is gone is reported and its entry leaves the list.
    void OpenRecentFiles(int index);
    // Dropped trace files open as "&Open[Show Sys]..." opens them: one window for all.
    // Answers whether the drop held any.
    bool OpenDropped(const QMimeData* data);

private:
    void Connect();
    void UpdateRecentFiles();

    QWidget& m_frame;
    CMainCommands& m_commands;
    CFrontWindow& m_windows;
    const CCommandTypeCatalog& m_catalog;
    QList<CRecentFileSet> m_recentSets; // as the File menu shows them
};
