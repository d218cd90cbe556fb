#pragma once

#include <QList>
#include <QStringList>

class QSettings;

// One entry of the recent-file list: the trace files opened together in one window, and
// whether the statements of user SYS were listed.
struct CRecentFileSet {
    QStringList paths;
    bool showSys = true;

    bool operator==(const CRecentFileSet&) const = default;
};

// The recent-file list of the profile: at most four file sets, the latest first, kept in the
// settings group "Recent File List": File1 to File4 hold the paths (a set of one file as a
// text), ShowSys1 to ShowSys4 the SYS choice (shown when absent).
class CRecentFiles {
public:
    static constexpr int s_nMaxFiles = 4;

    explicit CRecentFiles(QSettings& settings);

    QList<CRecentFileSet> Sets() const;
    // Puts the set first with absolute paths, removing an earlier entry of the same files (in
    // any order) and the oldest beyond four. A set without a path is ignored.
    void Add(const CRecentFileSet& set);
    // Removes the entry of these files.
    void Remove(const QStringList& listPaths);

    // The set's name in a menu: its file names, "; " between them, with " [Hide Sys]" when
    // SYS was hidden; more than three files show as the first two and the count.
    static QString DisplayName(const CRecentFileSet& set);

private:
    void Write(const QList<CRecentFileSet>& listSets);

    QSettings& m_settings;
};
