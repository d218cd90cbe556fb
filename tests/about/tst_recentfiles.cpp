#include "CRecentFiles.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestRecentFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void startsEmpty();
    void keepsLatestFourLatestFirst();
    void reopeningMovesEntryToFront();
    void storesAbsolutePathsUnderFileKeys();
    void survivesReopeningTheProfile();
    void ignoresEmptyPathAndEmptyKeys();

private:
    QString ProfilePath() const { return m_dir.filePath(QStringLiteral("Velquor.ini")); }

    QTemporaryDir m_dir;
};

void TestRecentFiles::init() {
    QVERIFY(m_dir.isValid());
    QFile::remove(ProfilePath());
}

void TestRecentFiles::startsEmpty() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    QVERIFY(CRecentFiles(settings).Files().isEmpty());
}

void TestRecentFiles::keepsLatestFourLatestFirst() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    for (const char* szName : {"/t/a.trc", "/t/b.trc", "/t/c.trc", "/t/d.trc", "/t/e.trc"})
        recent.Add(QLatin1String(szName));
    QCOMPARE(recent.Files(), (QStringList{QStringLiteral("/t/e.trc"), QStringLiteral("/t/d.trc"),
                                          QStringLiteral("/t/c.trc"), QStringLiteral("/t/b.trc")}));
}

void TestRecentFiles::reopeningMovesEntryToFront() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    for (const char* szName : {"/t/a.trc", "/t/b.trc", "/t/c.trc", "/t/b.trc"})
        recent.Add(QLatin1String(szName));
    QCOMPARE(recent.Files(), (QStringList{QStringLiteral("/t/b.trc"), QStringLiteral("/t/c.trc"),
                                          QStringLiteral("/t/a.trc")}));
}

void TestRecentFiles::storesAbsolutePathsUnderFileKeys() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles(settings).Add(QStringLiteral("relative.trc"));
    const QString strExpected = QDir::current().absoluteFilePath(QStringLiteral("relative.trc"));
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), strExpected);
}

void TestRecentFiles::survivesReopeningTheProfile() {
    {
        QSettings settings(ProfilePath(), QSettings::IniFormat);
        CRecentFiles recent(settings);
        recent.Add(QStringLiteral("/t/a.trc"));
        recent.Add(QStringLiteral("/t/b.trc"));
    }
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    QCOMPARE(CRecentFiles(settings).Files(),
             (QStringList{QStringLiteral("/t/b.trc"), QStringLiteral("/t/a.trc")}));
}

void TestRecentFiles::ignoresEmptyPathAndEmptyKeys() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Recent File List/File2"), QStringLiteral("/t/x.trc"));
    settings.setValue(QStringLiteral("Recent File List/File5"), QStringLiteral("/t/y.trc"));
    CRecentFiles recent(settings);
    QCOMPARE(recent.Files(), QStringList{QStringLiteral("/t/x.trc")});
    recent.Add(QString());
    QCOMPARE(recent.Files(), QStringList{QStringLiteral("/t/x.trc")});
}

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
