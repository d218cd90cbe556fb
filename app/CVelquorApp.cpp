#include "CVelquorApp.h"

#include "CFileDialogs.h"
#include "CMainFrame.h"
#include "CTraceAdminDlg.h"
#include "CTraceListLocation.h"
#include "CTraceSettings.h"

#include <QFile>
#include <QIcon>

#include <algorithm>

CVelquorApp::CVelquorApp(int& argc, char** argv) : QApplication(argc, argv) {
    Q_INIT_RESOURCE(velquor);
    Q_INIT_RESOURCE(about);
    setDesktopFileName(QStringLiteral("velquor"));
    setApplicationName(QStringLiteral("Velquor"));
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velquor.svg")));
}

CVelquorApp::~CVelquorApp() = default;

CVelquorApp& CVelquorApp::Instance() {
    return *static_cast<CVelquorApp*>(QCoreApplication::instance());
}

void CVelquorApp::OpenTraceFiles(bool showSys) {
    m_strShowSys = showSys ? "1" : "0";
    m_nOpenMode = kModeTraceFiles;
    const QStringList paths = CFileDialogs::ChooseTraceFiles(m_pMainWnd);
    if (paths.isEmpty() || m_pMainWnd == nullptr) {
        return;
    }
    m_pMainWnd->OpenTracePaths(paths, showSys);
}

void CVelquorApp::OnFileNew() {
    m_nOpenMode = kModeLiveTrace;
    CTraceAdminDlg dialog(m_catalog, CTraceListLocation().PrepareFolder());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const CTraceSettings* trace = dialog.GetSelectedTrace();
    if (trace == nullptr || m_pMainWnd == nullptr) {
        return;
    }
    m_strTraceName = trace->GetValue("TRACENAME");
    m_strTracePath = trace->GetValue("TRACEPATH");
    m_strShowSys = trace->GetValue("SYS");
    m_strCommandTypeFlags = trace->GetValue("OCTCHECK");
    m_pMainWnd->OpenRequestedWindow();
}

void CVelquorApp::SetTraceFilesRequest(const QStringList& paths, bool showSys) {
    m_strShowSys = showSys ? "1" : "0";
    m_nOpenMode = kModeTraceFiles;
    std::string names;
    std::string list;
    for (const QString& path : paths) {
        const std::string bytes = QFile::encodeName(path).toStdString();
        names += TraceNameFromPath(bytes) + ';';
        list += bytes + '|';
    }
    m_strTraceName = names.substr(0, kTitleLength);
    if (names.size() > kTitleLength) {
        m_strTraceName += "...";
    }
    m_strTracePath = list;
}

std::string CVelquorApp::TraceNameFromPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    std::erase(name, '|');
    return name;
}

std::string CVelquorApp::GetProgramFolder() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}
