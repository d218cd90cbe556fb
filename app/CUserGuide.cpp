#include "CUserGuide.h"

#include "CUserGuideWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStringBuilder>

#include <utility>

CUserGuide::CUserGuide() : m_listFolders(StandardFolders()) {}

CUserGuide::CUserGuide(QStringList listFolders) : m_listFolders(std::move(listFolders)) {}

// VELQUOR_GUIDE_DIR_FROM_BINDIR is the installed documentation folder relative to the
// installed program's folder, so an installation moved to another prefix still finds it.
QStringList CUserGuide::StandardFolders() {
    const QString strProgramDir = QCoreApplication::applicationDirPath();
    const QString strInstalledDir =
        QDir::cleanPath(strProgramDir % u'/' % QStringLiteral(VELQUOR_GUIDE_DIR_FROM_BINDIR));
    return {QDir::currentPath(), strProgramDir, strInstalledDir};
}

QString CUserGuide::Locate() const {
    for (const QString& strFolder : m_listFolders) {
        const QFileInfo guide(QDir(strFolder).filePath(QLatin1String(s_szFileName)));
        if (guide.isFile())
            return guide.absoluteFilePath();
    }
    return {};
}

QUrl CUserGuide::Url() const {
    const QString strPath = Locate();
    return strPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(strPath);
}

bool CUserGuide::Open() const {
    const QUrl url = Url();
    return !url.isEmpty() && DesktopShowsHtml() && QDesktopServices::openUrl(url);
}

void CUserGuide::OpenOrReport(QWidget* pParent) const {
    const QUrl url = Url();
    if (url.isEmpty()) {
        QMessageBox::warning(pParent, QStringLiteral("Velquor"),
                             QStringLiteral("The user guide ") % QLatin1String(s_szFileName) %
                                 QStringLiteral(" could not be opened.\nIt is in none of these "
                                                "folders:\n") %
                                 m_listFolders.join(u'\n'));
        return;
    }
    if (!Open())
        CUserGuideWindow::ShowPage(url, pParent);
}

bool CUserGuide::DesktopShowsHtml() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return true;
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    if (!QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty())
        return true;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    const bool bAnswered = query.waitForFinished(kQueryTimeoutMs) &&
                           query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0;
    return bAnswered && !query.readAllStandardOutput().trimmed().isEmpty();
}
