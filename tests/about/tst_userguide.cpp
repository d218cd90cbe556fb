#include "CUserGuide.h"
#include "CUserGuideWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
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

// A desktop made of the programs given: PATH holds only a folder of stub scripts and
// $BROWSER is unset while it lives.
class CStubDesktop {
public:
    CStubDesktop(const QString& strFolder, const QStringList& listPrograms,
                 const QByteArray& baMimeDefault)
        : m_baPath(qgetenv("PATH")), m_baBrowser(qgetenv("BROWSER")),
          m_bHadBrowser(qEnvironmentVariableIsSet("BROWSER")) {
        QDir().mkpath(strFolder);
        for (const QString& strProgram : listPrograms) {
            const QByteArray baOutput = strProgram == u"xdg-mime" ? baMimeDefault : QByteArray();
            WriteScript(QDir(strFolder).filePath(strProgram),
                        "#!/bin/sh\necho '" + baOutput + "'\n");
        }
        qputenv("PATH", QFile::encodeName(strFolder));
        qunsetenv("BROWSER");
    }
    ~CStubDesktop() {
        qputenv("PATH", m_baPath);
        if (m_bHadBrowser)
            qputenv("BROWSER", m_baBrowser);
    }
    CStubDesktop(const CStubDesktop&) = delete;
    CStubDesktop& operator=(const CStubDesktop&) = delete;

private:
    static void WriteScript(const QString& strPath, const QByteArray& baText) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(baText);
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QByteArray m_baPath;
    QByteArray m_baBrowser;
    bool m_bHadBrowser;
};

// The names of the pictures the document shows in paragraphs of their own. A picture that
// shares its line with text stands for markup the window does not know as a block.
QStringList StandalonePictures(const QTextDocument& document) {
    QStringList listNames;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextFragment fragment = block.begin().fragment();
        if (block.text() == QString(QChar::ObjectReplacementCharacter) &&
            fragment.charFormat().isImageFormat())
            listNames.append(fragment.charFormat().toImageFormat().name());
    }
    return listNames;
}

// A picture of the document: the layout keeps one it has drawn as a pixmap, the file's
// bytes before that.
QImage PictureImage(const QVariant& picture) {
    if (picture.typeId() == QMetaType::QPixmap)
        return picture.value<QPixmap>().toImage();
    return QImage::fromData(picture.toByteArray());
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
    void desktopShowsHtml_data();
    void desktopShowsHtml();
    void withoutViewerGuideShowsInWindowOfItsOwn();
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
    const QByteArray baBrowser = qgetenv("BROWSER");
    qputenv("BROWSER", "stub-browser");
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    const bool bOpened = CUserGuide(Folders()).Open();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    qputenv("BROWSER", baBrowser);
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

void TestUserGuide::desktopShowsHtml_data() {
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QByteArray>("mimeDefault");
    QTest::addColumn<bool>("shows");
    const QString strOpen = QStringLiteral("xdg-open");
    const QString strMime = QStringLiteral("xdg-mime");
    QTest::newRow("no xdg-open: Qt decides") << QStringList() << QByteArray() << true;
    QTest::newRow("nothing for HTML") << QStringList{strOpen, strMime} << QByteArray() << false;
    QTest::newRow("xdg-mime not answering") << QStringList{strOpen} << QByteArray() << false;
    QTest::newRow("registered program")
        << QStringList{strOpen, strMime} << QByteArray("firefox-esr.desktop") << true;
    QTest::newRow("x-www-browser")
        << QStringList{strOpen, strMime, QStringLiteral("x-www-browser")} << QByteArray() << true;
}

void TestUserGuide::desktopShowsHtml() {
    QFETCH(QStringList, programs);
    QFETCH(QByteArray, mimeDefault);
    QFETCH(bool, shows);
    const CStubDesktop desktop(m_pDir->filePath(QStringLiteral("bin")), programs, mimeDefault);
    QCOMPARE(CUserGuide::DesktopShowsHtml(), shows);
    qputenv("BROWSER", "sensible-browser");
    QVERIFY(CUserGuide::DesktopShowsHtml());
}

// With no program for HTML the guide opens in a window of its own, once however often it
// is asked for, with its pictures drawn and its links followed from the keyboard.
void TestUserGuide::withoutViewerGuideShowsInWindowOfItsOwn() {
    const CStubDesktop desktop(m_pDir->filePath(QStringLiteral("bin")),
                               {QStringLiteral("xdg-open"), QStringLiteral("xdg-mime")}, {});
    QWidget mainWindow;
    mainWindow.show();
    const CUserGuide guide({QStringLiteral(VELQUOR_BUILT_PROGRAM_DIR)});
    guide.OpenOrReport(&mainWindow);
    guide.OpenOrReport(&mainWindow);
    const QList<CUserGuideWindow*> windows = mainWindow.findChildren<CUserGuideWindow*>();
    QCOMPARE(windows.size(), 1);
    CUserGuideWindow* pWindow = windows.first();
    QVERIFY(QTest::qWaitForWindowExposed(pWindow));
    QVERIFY(pWindow->isWindow());
    QCOMPARE(pWindow->source(), guide.Url());
    QCOMPARE(pWindow->windowTitle(), QStringLiteral("Velquor User Guide"));

    const QStringList listPictures = StandalonePictures(*pWindow->document());
    QCOMPARE(listPictures.size(), 4);
    for (const QString& strPicture : listPictures) {
        const QVariant picture =
            pWindow->document()->resource(QTextDocument::ImageResource, QUrl(strPicture));
        const QImage image = PictureImage(picture);
        QVERIFY2(!image.isNull(), qPrintable(strPicture));
        QCOMPARE(image.width(), 900);
    }

    pWindow->setFocus();
    QCOMPARE(pWindow->verticalScrollBar()->value(), 0);
    QTest::keyClick(pWindow, Qt::Key_Tab);
    QTest::keyClick(pWindow, Qt::Key_Return);
    QCOMPARE(pWindow->source().fragment(), QStringLiteral("traces"));
    QTRY_VERIFY(pWindow->verticalScrollBar()->value() > 0);

    // Esc closes the window, and so does Ctrl+W once it is shown again.
    const QPointer<CUserGuideWindow> pGuard(pWindow);
    QTest::keyClick(pWindow, Qt::Key_Escape);
    QTRY_VERIFY(pGuard.isNull());
    guide.OpenOrReport(&mainWindow);
    QPointer<CUserGuideWindow> pAgain = mainWindow.findChild<CUserGuideWindow*>();
    QVERIFY(QTest::qWaitForWindowExposed(pAgain));
    QTest::keyClick(pAgain, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(pAgain.isNull());
}

// A program run from the build tree finds the guide and its pictures beside it.
void TestUserGuide::builtProgramFolderHoldsGuide() {
    const CUserGuide guide({QStringLiteral(VELQUOR_BUILT_PROGRAM_DIR)});
    QVERIFY(!guide.Locate().isEmpty());
    const QDir builtDir(QStringLiteral(VELQUOR_BUILT_PROGRAM_DIR));
    for (const char* szName : {"window.svg", "dataflow.svg", "livetrace.svg", "responsetime.png"})
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
        nPictures += strRef.endsWith(u".svg") || strRef.endsWith(u".png") ? 1 : 0;
    }
    QCOMPARE(nPictures, 4);
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
                                    "WAITS",
                                    "plan dumps",
                                    "&Open[Show Sys]...",
                                    "Open[&Hide Sys]...",
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
