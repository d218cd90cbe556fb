#include "CAboutDlg.h"
#include "CStaticLink.h"
#include "CUserGuide.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Receives the URLs QDesktopServices is asked to open, instead of the desktop.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_listUrls;
public slots:
    void Catch(const QUrl& url) { m_listUrls.append(url); }
};

} // namespace

// The dialogs are made with a user guide in the current folder, where the Help menu's
// search starts, so the web-site link has a known target.
class TestAboutDlg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void showsCaptionVersionAndPicture();
    void webSiteLinkOpensTheUserGuide();
    void mailLinkFollowsSupportAddress_data();
    void mailLinkFollowsSupportAddress();
    void okCloses();

private:
    CStaticLink* FindLink(CAboutDlg& dlg, const char* szName);

    QTemporaryDir m_dir;
    QString m_strOldCurrent;
    QString m_strGuide;
};

void TestAboutDlg::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_strGuide = m_dir.filePath(QLatin1String(CUserGuide::s_szFileName));
    QFile guide(m_strGuide);
    QVERIFY(guide.open(QIODevice::WriteOnly));
    m_strOldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestAboutDlg::cleanupTestCase() {
    QDir::setCurrent(m_strOldCurrent);
}

CStaticLink* TestAboutDlg::FindLink(CAboutDlg& dlg, const char* szName) {
    return dlg.findChild<CStaticLink*>(QLatin1String(szName));
}

void TestAboutDlg::showsCaptionVersionAndPicture() {
    CAboutDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("About Velquor"));
    const auto* pVersion = dlg.findChild<QLabel*>(QStringLiteral("versionLabel"));
    QVERIFY(pVersion != nullptr);
    QCOMPARE(pVersion->text(),
             QStringLiteral("Velquor Version ") % QStringLiteral(VELQUOR_VERSION));
    const auto* pPicture = dlg.findChild<QLabel*>(QStringLiteral("pictureLabel"));
    QVERIFY(pPicture != nullptr);
    QCOMPARE(pPicture->pixmap().size(), QSize(64, 64));
}

void TestAboutDlg::webSiteLinkOpensTheUserGuide() {
    CAboutDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CStaticLink* pLink = FindLink(dlg, "webSiteLink");
    QVERIFY(pLink != nullptr);
    QVERIFY(pLink->isVisible());
    QCOMPARE(pLink->text(), QStringLiteral("Velquor user guide"));
    QCOMPARE(pLink->Link().Target(), QUrl::fromLocalFile(m_strGuide).toString());

    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    QTest::mouseClick(pLink, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.m_listUrls, QList<QUrl>{QUrl::fromLocalFile(m_strGuide)});
    QCOMPARE(pLink->Color(), CStaticLink::s_rgbVisited);
}

void TestAboutDlg::mailLinkFollowsSupportAddress_data() {
    QTest::addColumn<bool>("setAddress");
    QTest::addColumn<QString>("address");
    QTest::newRow("as built") << false << QStringLiteral(VELQUOR_SUPPORT_EMAIL);
    QTest::newRow("an address") << true << QStringLiteral("support@velquor.invalid");
    QTest::newRow("none") << true << QString();
}

void TestAboutDlg::mailLinkFollowsSupportAddress() {
    QFETCH(bool, setAddress);
    QFETCH(QString, address);
    CAboutDlg dlg;
    if (setAddress)
        dlg.SetSupportAddress(address);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CStaticLink* pLink = FindLink(dlg, "mailLink");
    QVERIFY(pLink != nullptr);
    QCOMPARE(pLink->isVisible(), !address.isEmpty());
    QCOMPARE(pLink->text(), address);
    QCOMPARE(pLink->Link().Target(),
             address.isEmpty() ? QString() : QString(QStringLiteral("mailto:") % address));
}

void TestAboutDlg::okCloses() {
    CAboutDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* pButtons = dlg.findChild<QDialogButtonBox*>();
    QVERIFY(pButtons != nullptr);
    QTest::mouseClick(pButtons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
