#include "CUserGuide.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

namespace {

// Receives the URLs QDesktopServices is asked to open, instead of the desktop.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_listUrls;
public slots:
    void Catch(const QUrl& url) { m_listUrls.append(url); }
};

// What a page or picture refers to, and the text it shows.
struct CPageContent {
    QString strError;
    QString strText;
    QStringList listIds;
    QStringList listRefs;
};

CPageContent ReadXmlPage(const QString& strPath) {
    CPageContent content;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        content.strError = file.errorString();
        return content;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters())
            content.strText += reader.text();
        if (!reader.isStartElement())
            continue;
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
            const QString strName = attribute.qualifiedName().toString();
            if (strName == u"id")
                content.listIds.append(attribute.value().toString());
            if (strName == u"src" || strName == u"href" || strName == u"xlink:href")
                content.listRefs.append(attribute.value().toString());
        }
    }
    if (reader.hasError())
        content.strError =
            reader.errorString() % u" at line " % QString::number(reader.lineNumber());
    return content;
}

QString DocDir() {
    return QStringLiteral(VELQUOR_DOC_SOURCE_DIR);
}

void WriteGuide(const QString& strFolder) {
    QDir().mkpath(strFolder);
    QFile file(QDir(strFolder).filePath(QLatin1String(CUserGuide::s_szFileName)));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestUserGuide : public QObject {
    Q_OBJECT

private slots:
    void init();
    void locateTakesFirstFolderHoldingGuide_data();
    void locateTakesFirstFolderHoldingGuide();
    void currentFolderComesFirst();
    void openHandsGuideToDesktop();
    void openWithoutGuideFails();
    void failedOpenTellsWhereItLooked();
    void builtProgramFolderHoldsGuide();
    void pageIsWellFormedAndSelfContained();
    void picturesAreSelfContained_data();
    void picturesAreSelfContained();
    void pageExplains_data();
    void pageExplains();

private:
    QStringList Folders() const;

    std::unique_ptr<QTemporaryDir> m_pDir;
};

void TestUserGuide::init() {
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
}

QStringList TestUserGuide::Folders() const {
    return {m_pDir->filePath(QStringLiteral("a")), m_pDir->filePath(QStringLiteral("b")),
            m_pDir->filePath(QStringLiteral("c"))};
}

// Each row lists the folders (a, b, c) that hold a guide and the one that must be found;
// "b/" stands for a folder named like the guide in place of a file.
void TestUserGuide::locateTakesFirstFolderHoldingGuide_data() {
    QTest::addColumn<QStringList>("holding");
    QTest::addColumn<QString>("found");
    QTest::newRow("only the last") << QStringList{QStringLiteral("c")} << QStringLiteral("c");
    QTest::newRow("first of two") << QStringList{QStringLiteral("a"), QStringLiteral("c")}
                                  << QStringLiteral("a");
    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("a folder is not a guide")
        << QStringList{QStringLiteral("a/"), QStringLiteral("b")} << QStringLiteral("b");
}

void TestUserGuide::locateTakesFirstFolderHoldingGuide() {
    QFETCH(QStringList, holding);
    QFETCH(QString, found);
    for (const QString& strFolder : holding) {
        if (strFolder.endsWith(u'/'))
            QVERIFY(QDir().mkpath(m_pDir->filePath(strFolder) %
                                  QLatin1String(CUserGuide::s_szFileName)));
        else
            WriteGuide(m_pDir->filePath(strFolder));
    }
    const CUserGuide guide(Folders());
    const QString strExpected =
        found.isEmpty()
            ? QString()
            : QDir(m_pDir->filePath(found)).filePath(QLatin1String(CUserGuide::s_szFileName));
    QCOMPARE(guide.Locate(), strExpected);
    QCOMPARE(guide.Url(), strExpected.isEmpty() ? QUrl() : QUrl::fromLocalFile(strExpected));
}

void TestUserGuide::currentFolderComesFirst() {
    WriteGuide(m_pDir->path());
    const QString strOldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_pDir->path()));
    const CUserGuide guide;
    const QString strFound = guide.Locate();
    QVERIFY(QDir::setCurrent(strOldCurrent));

    QCOMPARE(strFound, QDir(m_pDir->path()).filePath(QLatin1String(CUserGuide::s_szFileName)));
    QCOMPARE(guide.Folders().size(), 3);
    QCOMPARE(guide.Folders().at(1), QCoreApplication::applicationDirPath());
}

void TestUserGuide::openHandsGuideToDesktop() {
    WriteGuide(Folders().at(1));
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    const bool bOpened = CUserGuide(Folders()).Open();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(bOpened);
    QCOMPARE(catcher.m_listUrls,
             QList<QUrl>{QUrl::fromLocalFile(
                 QDir(Folders().at(1)).filePath(QLatin1String(CUserGuide::s_szFileName)))});
}

void TestUserGuide::openWithoutGuideFails() {
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    const bool bOpened = CUserGuide(Folders()).Open();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(!bOpened);
    QVERIFY(catcher.m_listUrls.isEmpty());
}

void TestUserGuide::failedOpenTellsWhereItLooked() {
    QString strShown;
    QTimer::singleShot(0, this, [&strShown] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (pBox == nullptr)
            return;
        strShown = pBox->windowTitle() % u'|' % pBox->text();
        pBox->accept();
    });
    CUserGuide(Folders()).OpenOrReport(nullptr);
    QVERIFY(strShown.startsWith(u"Velquor|"));
    QVERIFY(strShown.contains(QLatin1String(CUserGuide::s_szFileName)));
    for (const QString& strFolder : Folders())
        QVERIFY2(strShown.contains(strFolder), qPrintable(strShown));
}

// A program run from the build tree finds the guide and its pictures beside it.
void TestUserGuide::builtProgramFolderHoldsGuide() {
    const CUserGuide guide({QStringLiteral(VELQUOR_BUILT_PROGRAM_DIR)});
    QVERIFY(!guide.Locate().isEmpty());
    const QDir builtDir(QStringLiteral(VELQUOR_BUILT_PROGRAM_DIR));
    for (const char* szName : {"window.svg", "dataflow.svg", "livetrace.svg"})
        QVERIFY(builtDir.exists(QStringLiteral("usingvelquor/") % QLatin1String(szName)));
}

void TestUserGuide::pageIsWellFormedAndSelfContained() {
    const CPageContent page =
        ReadXmlPage(QDir(DocDir()).filePath(QStringLiteral("usingvelquor.htm")));
    QVERIFY2(page.strError.isEmpty(), qPrintable(page.strError));
    int nPictures = 0;
    for (const QString& strRef : page.listRefs) {
        if (strRef.startsWith(u'#')) {
            QVERIFY2(page.listIds.contains(strRef.mid(1)), qPrintable(strRef));
            continue;
        }
        QVERIFY2(QUrl(strRef).isRelative() && !strRef.startsWith(u'/'), qPrintable(strRef));
        QVERIFY2(QFileInfo::exists(QDir(DocDir()).filePath(strRef)), qPrintable(strRef));
        nPictures += strRef.endsWith(u".svg") ? 1 : 0;
    }
    QCOMPARE(nPictures, 3);
}

void TestUserGuide::picturesAreSelfContained_data() {
    QTest::addColumn<QString>("picture");
    for (const char* szName : {"window.svg", "dataflow.svg", "livetrace.svg"})
        QTest::newRow(szName) << QStringLiteral("usingvelquor/") % QLatin1String(szName);
}

void TestUserGuide::picturesAreSelfContained() {
    QFETCH(QString, picture);
    const QString strPath = QDir(DocDir()).filePath(picture);
    const CPageContent svg = ReadXmlPage(strPath);
    QVERIFY2(svg.strError.isEmpty(), qPrintable(svg.strError));
    for (const QString& strRef : svg.listRefs)
        QVERIFY2(strRef.startsWith(u'#'), qPrintable(strRef));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strSource = QString::fromUtf8(file.readAll());
    const QRegularExpression outside(QStringLiteral("url\\((?!#)|@import"));
    QVERIFY(!strSource.contains(outside));
}

void TestUserGuide::pageExplains_data() {
    QTest::addColumn<QString>("text");
    const char* const aszTexts[] = {"Command Type",
                                    "uid",
                                    "pid",
                                    "Sql Statament",
                                    "Error No",
                                    "count",
                                    "cpu",
                                    "elapsed",
                                    "disk",
                                    "query",
                                    "current",
                                    "rows",
                                    "parse misses",
                                    "execute misses",
                                    "Trace Detail Output",
                                    "COST",
                                    "PLAN",
                                    "&Open[Show Sys]...",
                                    "&Open[Hide Sys]...",
                                    "Sniffer",
                                    "Oracle Trace Admin",
                                    "BASIC INFO",
                                    "Advanced...",
                                    "Start",
                                    "Stop",
                                    "Clear",
                                    "3 seconds",
                                    "trace.list",
                                    "TRACENAME=",
                                    "OCTCHECK",
                                    "velquor-cli",
                                    "follow",
                                    "--hide-sys",
                                    "--types",
                                    "--sort",
                                    "--desc",
                                    "--format table|tsv|csv|json",
                                    "10046 trace name context forever, level 12",
                                    "sql_trace",
                                    "DBMS_MONITOR",
                                    "Diag Trace",
                                    "F3",
                                    "Insert",
                                    "How to Using Velquor"};
    for (const char* szText : aszTexts)
        QTest::newRow(szText) << QString::fromUtf8(szText);
}

void TestUserGuide::pageExplains() {
    QFETCH(QString, text);
    static const CPageContent s_page =
        ReadXmlPage(QDir(DocDir()).filePath(QStringLiteral("usingvelquor.htm")));
    QVERIFY(s_page.strText.contains(text));
}

QTEST_MAIN(TestUserGuide)
#include "tst_userguide.moc"
