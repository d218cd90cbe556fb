#include "CRecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString s_strGroup = QStringLiteral("Recent File List");

QString FileKey(int nIndex) {
    return QStringLiteral("File") + QString::number(nIndex + 1);
}

} // namespace

CRecentFiles::CRecentFiles(QSettings& settings) : m_settings(settings) {}

QStringList CRecentFiles::Files() const {
    QStringList listFiles;
    m_settings.beginGroup(s_strGroup);
    for (int i = 0; i < s_nMaxFiles; ++i) {
        const QString strPath = m_settings.value(FileKey(i)).toString();
        if (!strPath.isEmpty())
            listFiles.append(strPath);
    }
    m_settings.endGroup();
    return listFiles;
}

void CRecentFiles::Add(const QString& strPath) {
    if (strPath.isEmpty())
        return;
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    QStringList listFiles = Files();
    listFiles.removeAll(strAbsolute);
    listFiles.prepend(strAbsolute);
    Write(listFiles.mid(0, s_nMaxFiles));
}

void CRecentFiles::Write(const QStringList& listFiles) {
    m_settings.remove(s_strGroup);
    m_settings.beginGroup(s_strGroup);
    for (int i = 0; i < listFiles.size(); ++i)
        m_settings.setValue(FileKey(i), listFiles.at(i));
    m_settings.endGroup();
}
