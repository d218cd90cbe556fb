#include "CVelquorApp.h"

#include "CFileDialogs.h"
#include "CMainFrame.h"
#include "CTraceAdminDlg.h"
#include "CTraceListLocation.h"
#include "CTraceSettings.h"
#include "LiveTraceRequest.h"

#include <QIcon>

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
    const QStringList paths = CFileDialogs::ChooseTraceFiles(m_pMainWnd);
    if (paths.isEmpty() || m_pMainWnd == nullptr) {
        return;
    }
    m_pMainWnd->OpenTracePaths(paths, showSys);
}

void CVelquorApp::OnFileNew() {
    CTraceAdminDlg dialog(m_catalog, CTraceListLocation().PrepareFolder());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const CTraceSettings* trace = dialog.GetSelectedTrace();
    if (trace == nullptr || m_pMainWnd == nullptr) {
        return;
    }
    m_pMainWnd->OpenWindow(LiveTraceRequest(*trace));
}
