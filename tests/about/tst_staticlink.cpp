#include "CLinkTarget.h"
#include "CStaticLink.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A target that records what it was asked to open and answers as told.
class CFakeTarget final : public CLinkTarget {
public:
    explicit CFakeTarget(bool bOpens, QString strTarget = {})
        : CLinkTarget(std::move(strTarget)), m_bOpens(bOpens) {}

    bool Navigate() const override {
        m_listNavigated.append(Target());
        return m_bOpens;
    }

    mutable QStringList m_listNavigated;

private:
    bool m_bOpens;
};

// Receives the URLs QDesktopServices is asked to open, instead of the desktop.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_listUrls;
public slots:
    void Catch(const QUrl& url) { m_listUrls.append(url); }
};

} // namespace

class TestStaticLink : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsBlueWithHandCursorAndNoUnderline();
    void turnsRedOnEnterAndBlueSoonAfterLeaving();
    void successfulClickTurnsPurpleUntilPointerLeaves();
    void failedClickKeepsColourAndShowsTheAddress();
    void linkWithoutTargetOpensItsText();
    void emptyLinkDoesNothing();
    void rightClickDoesNotOpen();
    void realTargetRefusesWhatCannotOpen_data();
    void realTargetRefusesWhatCannotOpen();
    void realTargetHandsAddressToDesktop();

private:
    CFakeTarget* UseFake(bool bOpens, const QString& strTarget = {});
    void MovePointerOnto(QWidget* pWidget);
    void MovePointerAway();

    std::unique_ptr<QWidget> m_pWindow;
    CStaticLink* m_pLink = nullptr;
};

void TestStaticLink::init() {
    m_pWindow = std::make_unique<QWidget>();
    auto* pLayout = new QVBoxLayout(m_pWindow.get());
    m_pLink = new CStaticLink;
    m_pLink->setText(QStringLiteral("Velquor user guide"));
    pLayout->addWidget(m_pLink);
    pLayout->addStretch();
    m_pWindow->setGeometry(100, 100, 300, 200);
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));
    MovePointerAway();
}

void TestStaticLink::cleanup() {
    m_pWindow.reset();
}

CFakeTarget* TestStaticLink::UseFake(bool bOpens, const QString& strTarget) {
    auto pFake = std::make_unique<CFakeTarget>(bOpens, strTarget);
    CFakeTarget* pRaw = pFake.get();
    m_pLink->SetLink(std::move(pFake));
    return pRaw;
}

void TestStaticLink::MovePointerOnto(QWidget* pWidget) {
    QCursor::setPos(pWidget->mapToGlobal(pWidget->rect().center()));
    QCoreApplication::processEvents();
}

void TestStaticLink::MovePointerAway() {
    QCursor::setPos(m_pWindow->geometry().bottomRight() + QPoint(50, 50));
    QCoreApplication::processEvents();
}

void TestStaticLink::startsBlueWithHandCursorAndNoUnderline() {
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbNormal);
    QCOMPARE(m_pLink->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(m_pLink->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!m_pLink->font().underline());
}

void TestStaticLink::turnsRedOnEnterAndBlueSoonAfterLeaving() {
    MovePointerOnto(m_pLink);
    QCOMPARE(m_pLink->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    // Staying over the link keeps it red through several timer checks.
    QTest::qWait(3 * CStaticLink::s_nHoverCheckMs);
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbHover);

    MovePointerAway();
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->Color(), CStaticLink::s_rgbNormal,
                              3 * CStaticLink::s_nHoverCheckMs);
    QCOMPARE(m_pLink->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    // A second visit turns it red again.
    MovePointerOnto(m_pLink);
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbHover);
}

void TestStaticLink::successfulClickTurnsPurpleUntilPointerLeaves() {
    CFakeTarget* pFake = UseFake(true, QStringLiteral("file:///usr/share/doc/x.htm"));
    MovePointerOnto(m_pLink);
    QTest::mouseClick(m_pLink, Qt::LeftButton);
    QCOMPARE(pFake->m_listNavigated, QStringList{QStringLiteral("file:///usr/share/doc/x.htm")});
    QCOMPARE(m_pLink->palette().color(QPalette::WindowText), QColor(128, 0, 128));

    QTest::qWait(3 * CStaticLink::s_nHoverCheckMs);
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbVisited);

    MovePointerAway();
    QTRY_COMPARE_WITH_TIMEOUT(m_pLink->Color(), CStaticLink::s_rgbNormal,
                              3 * CStaticLink::s_nHoverCheckMs);
}

// The desktop could not open the address: it is shown, selectable, instead.
void TestStaticLink::failedClickKeepsColourAndShowsTheAddress() {
    CFakeTarget* pFake = UseFake(false, QStringLiteral("mailto:nobody"));
    MovePointerOnto(m_pLink);
    QTest::mouseClick(m_pLink, Qt::LeftButton);
    QCOMPARE(pFake->m_listNavigated.size(), 1);
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbHover);
    auto* pBox = m_pLink->findChild<QMessageBox*>(QStringLiteral("linkAddressBox"));
    QVERIFY(pBox != nullptr);
    QVERIFY(pBox->isVisible());
    QVERIFY(pBox->text().endsWith(QStringLiteral("mailto:nobody")));
    QVERIFY(pBox->textInteractionFlags() & Qt::TextSelectableByMouse);
    pBox->close();
}

void TestStaticLink::linkWithoutTargetOpensItsText() {
    CFakeTarget* pFake = UseFake(true);
    QTest::mouseClick(m_pLink, Qt::LeftButton);
    QCOMPARE(pFake->m_listNavigated, QStringList{QStringLiteral("Velquor user guide")});
    QCOMPARE(pFake->Target(), QStringLiteral("Velquor user guide"));
}

void TestStaticLink::emptyLinkDoesNothing() {
    CFakeTarget* pFake = UseFake(true);
    m_pLink->clear();
    QTest::mouseClick(m_pLink, Qt::LeftButton);
    QVERIFY(pFake->m_listNavigated.isEmpty());
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbNormal);
}

void TestStaticLink::rightClickDoesNotOpen() {
    CFakeTarget* pFake = UseFake(true, QStringLiteral("mailto:nobody"));
    QTest::mouseClick(m_pLink, Qt::RightButton);
    QVERIFY(pFake->m_listNavigated.isEmpty());
}

void TestStaticLink::realTargetRefusesWhatCannotOpen_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("empty") << QString();
    QTest::newRow("relative text") << QStringLiteral("Velquor user guide");
    QTest::newRow("missing local file")
        << QStringLiteral("file:///no/such/folder/usingvelquor.htm");
    QTest::newRow("malformed") << QStringLiteral("http://[::1");
}

void TestStaticLink::realTargetRefusesWhatCannotOpen() {
    QFETCH(QString, target);
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Catch");
    const bool bOpened = CLinkTarget(target).Navigate();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QVERIFY(!bOpened);
    QVERIFY(catcher.m_listUrls.isEmpty());
}

void TestStaticLink::realTargetHandsAddressToDesktop() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString strFile = dir.filePath(QStringLiteral("usingvelquor.htm"));
    QFile file(strFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Catch");
    const QString strFileUrl = QUrl::fromLocalFile(strFile).toString();
    m_pLink->Link().SetTarget(strFileUrl);
    QTest::mouseClick(m_pLink, Qt::LeftButton);
    const bool bMailOpened =
        CLinkTarget(QStringLiteral("mailto:support@velquor.invalid")).Navigate();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

    QVERIFY(bMailOpened);
    QCOMPARE(
        catcher.m_listUrls,
        (QList<QUrl>{QUrl(strFileUrl), QUrl(QStringLiteral("mailto:support@velquor.invalid"))}));
    QCOMPARE(m_pLink->Color(), CStaticLink::s_rgbVisited);
}

QTEST_MAIN(TestStaticLink)
#include "tst_staticlink.moc"
