#include "CVelquorApp.h"

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
