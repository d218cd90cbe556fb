#include "CRecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString s_strGroup = QStringLiteral("Recent File List");
constexpr qsizetype s_nNamedFiles = 3;

QString FileKey(int nIndex) {
    return QStringLiteral("File") + QString::number(nIndex + 1);
}

QString SysKey(int nIndex) {
    return QStringLiteral("ShowSys") + QString::number(nIndex + 1);
}

QStringList Sorted(QStringList listPaths) {
    listPaths.sort();
    return listPaths;
}

} // namespace

CRecentFiles::CRecentFiles(QSettings& settings) : m_settings(settings) {}

QList<CRecentFileSet> CRecentFiles::Sets() const {
    QList<CRecentFileSet> listSets;
    m_settings.beginGroup(s_strGroup);
    for (int i = 0; i < s_nMaxFiles; ++i) {
        CRecentFileSet set{m_settings.value(FileKey(i)).toStringList(),
                           m_settings.value(SysKey(i), true).toBool()};
        set.paths.removeAll(QString());
        if (!set.paths.isEmpty())
            listSets.append(set);
    }
    m_settings.endGroup();
    return listSets;
}

void CRecentFiles::Add(const CRecentFileSet& set) {
    CRecentFileSet absolute{{}, set.showSys};
    for (const QString& strPath : set.paths) {
        if (!strPath.isEmpty())
            absolute.paths.append(QFileInfo(strPath).absoluteFilePath());
    }
    if (absolute.paths.isEmpty())
        return;
    Remove(absolute.paths);
    QList<CRecentFileSet> listSets = Sets();
    listSets.prepend(absolute);
    Write(listSets.mid(0, s_nMaxFiles));
}

void CRecentFiles::Remove(const QStringList& listPaths) {
    const QStringList sorted = Sorted(listPaths);
    QList<CRecentFileSet> listSets = Sets();
    listSets.removeIf([&](const CRecentFileSet& entry) { return Sorted(entry.paths) == sorted; });
    Write(listSets);
}

QString CRecentFiles::DisplayName(const CRecentFileSet& set) {
    const bool bCounted = set.paths.size() > s_nNamedFiles;
    QStringList listNames;
    for (const QString& strPath : set.paths.mid(0, bCounted ? s_nNamedFiles - 1 : s_nNamedFiles))
        listNames.append(QFileInfo(strPath).fileName());
    if (bCounted)
        listNames.append(QStringLiteral("... (") + QString::number(set.paths.size()) +
                         QStringLiteral(" files)"));
    QString strName = listNames.join(QStringLiteral("; "));
    if (!set.showSys)
        strName += QStringLiteral(" [Hide Sys]");
    return strName;
}

// A set of one file is written as a text, as the list has always held single files.
void CRecentFiles::Write(const QList<CRecentFileSet>& listSets) {
    m_settings.remove(s_strGroup);
    m_settings.beginGroup(s_strGroup);
    for (int i = 0; i < listSets.size(); ++i) {
        const QStringList& paths = listSets.at(i).paths;
        m_settings.setValue(FileKey(i),
                            paths.size() == 1 ? QVariant(paths.constFirst()) : QVariant(paths));
        m_settings.setValue(SysKey(i), listSets.at(i).showSys);
    }
    m_settings.endGroup();
}
