#include "COpenCommands.h"

#include "CFileDialogs.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "COpenRequest.h"
#include "CTraceAdminDlg.h"
#include "CTraceDropHelper.h"
#include "CTraceListLocation.h"
#include "CTraceSettings.h"
#include "LiveTraceRequest.h"
#include "MessageBox.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <string>
#include <vector>

COpenCommands::COpenCommands(QWidget& frame, CMainCommands& commands, CFrontWindow& windows,
                             const CCommandTypeCatalog& catalog)
    : QObject(&frame), m_frame(frame), m_commands(commands), m_windows(windows),
      m_catalog(catalog) {
    Connect();
    UpdateRecentFiles();
}

void COpenCommands::Connect() {
    CMainCommands& c = m_commands;
    for (QAction* showSys : {c.m_actOpenShowSys, c.m_actOpenTraceFiles, c.m_actDropShowSys}) {
        connect(showSys, &QAction::triggered, this, [this] { OpenTraceFiles(true); });
    }
    for (QAction* hideSys : {c.m_actOpenHideSys, c.m_actDropHideSys}) {
        connect(hideSys, &QAction::triggered, this, [this] { OpenTraceFiles(false); });
    }
    connect(c.m_actFileNew, &QAction::triggered, this, &COpenCommands::OpenLiveTrace);
    for (int i = 0; i < static_cast<int>(c.m_actRecentFiles.size()); ++i) {
        connect(c.m_actRecentFiles[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { OpenRecentFiles(i); });
    }
}

void COpenCommands::OpenTraceFiles(bool showSys) {
    const QStringList paths = CFileDialogs::ChooseTraceFiles(&m_frame);
    if (!paths.isEmpty()) {
        OpenTracePaths(paths, showSys);
    }
}

void COpenCommands::OpenLiveTrace() {
    CTraceAdminDlg dialog(m_catalog, CTraceListLocation().PrepareFolder());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (const CTraceSettings* trace = dialog.GetSelectedTrace()) {
        m_windows.Open(LiveTraceRequest(*trace));
    }
}

CVelquorView* COpenCommands::OpenTracePaths(const QStringList& paths, bool showSys) {
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
    return m_windows.Open(COpenRequest::TraceFiles(std::move(files), showSys));
}

void COpenCommands::OpenRecentFiles(int index) {
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
    ShowMessageBox(&m_frame, QStringLiteral("Velquor"),
                   (missing.size() == 1 ? QStringLiteral("This file no longer exists:\n")
                                        : QStringLiteral("These files no longer exist:\n")) %
                       missing.join(u'\n') %
                       QStringLiteral("\n\nIts entry was removed from the recent files."));
}

bool COpenCommands::OpenDropped(const QMimeData* data) {
    const QStringList paths = CTraceDropHelper::TraceFiles(data);
    OpenTracePaths(paths, true);
    return !paths.isEmpty();
}

// The entries shown are kept with the menu, so an entry opens what it shows even when
// another copy of the program changed the profile since.
void COpenCommands::UpdateRecentFiles() {
    QSettings settings;
    m_recentSets = CRecentFiles(settings).Sets();
    m_commands.ShowRecentFiles(m_recentSets);
}
