#pragma once

#include <QStringList>

class QSettings;

// The recent-file list of the profile: at most four paths, the latest first, kept in the
// settings group "Recent File List" as File1 to File4.
class CRecentFiles {
public:
    static constexpr int s_nMaxFiles = 4;

    explicit CRecentFiles(QSettings& settings);

    QStringList Files() const;
    // Puts the file first, removing an earlier entry for it and the oldest beyond four.
    void Add(const QString& strPath);

private:
    void Write(const QStringList& listFiles);

    QSettings& m_settings;
};
