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
    void setsKeepTheirFilesAndSysChoice();

private:
    QString ProfilePath() const { return m_dir.filePath(QStringLiteral("Velquor.ini")); }
    static void Add(CRecentFiles& recent, const char* szPath) {
        recent.Add({{QLatin1String(szPath)}, true});
    }
    // The first file of each entry.
    static QStringList Firsts(const CRecentFiles& recent) {
        QStringList listFirsts;
        for (const CRecentFileSet& set : recent.Sets())
            listFirsts.append(set.paths.constFirst());
        return listFirsts;
    }

    QTemporaryDir m_dir;
};

void TestRecentFiles::init() {
    QVERIFY(m_dir.isValid());
    QFile::remove(ProfilePath());
}

void TestRecentFiles::startsEmpty() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    QVERIFY(CRecentFiles(settings).Sets().isEmpty());
}

void TestRecentFiles::keepsLatestFourLatestFirst() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    for (const char* szName : {"/t/a.trc", "/t/b.trc", "/t/c.trc", "/t/d.trc", "/t/e.trc"})
        Add(recent, szName);
    QCOMPARE(Firsts(recent), (QStringList{QStringLiteral("/t/e.trc"), QStringLiteral("/t/d.trc"),
                                          QStringLiteral("/t/c.trc"), QStringLiteral("/t/b.trc")}));
}

void TestRecentFiles::reopeningMovesEntryToFront() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    for (const char* szName : {"/t/a.trc", "/t/b.trc", "/t/c.trc", "/t/b.trc"})
        Add(recent, szName);
    QCOMPARE(Firsts(recent), (QStringList{QStringLiteral("/t/b.trc"), QStringLiteral("/t/c.trc"),
                                          QStringLiteral("/t/a.trc")}));
}

void TestRecentFiles::storesAbsolutePathsUnderFileKeys() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    Add(recent, "relative.trc");
    const QString strExpected = QDir::current().absoluteFilePath(QStringLiteral("relative.trc"));
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), strExpected);
}

void TestRecentFiles::survivesReopeningTheProfile() {
    {
        QSettings settings(ProfilePath(), QSettings::IniFormat);
        CRecentFiles recent(settings);
        Add(recent, "/t/a.trc");
        recent.Add({{QStringLiteral("/t/b.trc"), QStringLiteral("/t/c, d.trc")}, false});
    }
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    const QList<CRecentFileSet> expected = {
        {{QStringLiteral("/t/b.trc"), QStringLiteral("/t/c, d.trc")}, false},
        {{QStringLiteral("/t/a.trc")}, true}};
    QCOMPARE(CRecentFiles(settings).Sets(), expected);
}

void TestRecentFiles::ignoresEmptyPathAndEmptyKeys() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Recent File List/File2"), QStringLiteral("/t/x.trc"));
    settings.setValue(QStringLiteral("Recent File List/File5"), QStringLiteral("/t/y.trc"));
    CRecentFiles recent(settings);
    QCOMPARE(Firsts(recent), QStringList{QStringLiteral("/t/x.trc")});
    QVERIFY(recent.Sets().constFirst().showSys); // an entry without its SYS choice
    recent.Add({{QString()}, false});
    recent.Add({{}, false});
    QCOMPARE(Firsts(recent), QStringList{QStringLiteral("/t/x.trc")});
}

// The same files in another order are the same entry; the latest SYS choice stays.
void TestRecentFiles::setsKeepTheirFilesAndSysChoice() {
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    CRecentFiles recent(settings);
    const QStringList ab = {QStringLiteral("/t/a.trc"), QStringLiteral("/t/b.trc")};
    const QStringList ba = {QStringLiteral("/t/b.trc"), QStringLiteral("/t/a.trc")};
    recent.Add({ab, true});
    Add(recent, "/t/c.trc");
    recent.Add({ba, false});
    QCOMPARE(recent.Sets(),
             (QList<CRecentFileSet>{{ba, false}, {{QStringLiteral("/t/c.trc")}, true}}));
    recent.Remove(ab);
    QCOMPARE(Firsts(recent), QStringList{QStringLiteral("/t/c.trc")});
    recent.Remove({QStringLiteral("/t/none.trc")});
    QCOMPARE(Firsts(recent), QStringList{QStringLiteral("/t/c.trc")});
}

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
