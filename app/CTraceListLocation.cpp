#include "CTraceListLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

CTraceListLocation::CTraceListLocation()
    : CTraceListLocation(QCoreApplication::applicationDirPath(),
                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)) {}

CTraceListLocation::CTraceListLocation(QString strProgramFolder, QString strConfigFolder)
    : m_strProgramFolder(std::move(strProgramFolder)),
      m_strConfigFolder(std::move(strConfigFolder)) {}

// The list is saved through a new file renamed over the old one, so the folder itself must
// be writable; a writable trace.list in a read-only folder is not enough. A program installed
// under /usr never writes beside itself, even for root: that folder belongs to the system's
// package manager.
bool CTraceListLocation::IsBesideProgram() const {
    const QFileInfo folder(m_strProgramFolder);
    const QString strCanonical = folder.canonicalFilePath() + u'/';
    return folder.isDir() && folder.isWritable() && !strCanonical.startsWith(u"/usr/");
}

QString CTraceListLocation::Folder() const {
    return QDir::cleanPath(IsBesideProgram() ? m_strProgramFolder : m_strConfigFolder);
}

std::string CTraceListLocation::PrepareFolder() const {
    const QString strFolder = Folder();
    if (!IsBesideProgram())
        QDir().mkpath(strFolder);
    return QFile::encodeName(strFolder).toStdString();
}
