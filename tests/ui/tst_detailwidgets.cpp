#include "CDetailPaneDlg.h"
#include "CSizingBar.h"
#include "DisplayText.h"

#include <QFontMetrics>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include <string_view>

// The detail pane, its docking bar and the display decoding, on their own.
class TstDetailWidgets : public QObject {
    Q_OBJECT

private slots:
    void decodesForDisplay_data();
    void decodesForDisplay();
    void paneStartsEmptyAndShowsTheSelectedTab();
    void selectedTabPersistsAcrossStatements();
    void paneIsReadOnlyFixedPitchAndUnwrapped();
    void barOpensWithPaneHeightPlusNineAndKeepsItWhenShownAgain();
    void barNeverGetsLowerThan32AndDocksOnlyAtTheBottom();
};

void TstDetailWidgets::decodesForDisplay_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ascii") << QByteArray("select 1\r\n") << QStringLiteral("select 1\r\n");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9");
    QTest::newRow("lone latin-1 byte") << QByteArray("caf\xe9!") << QStringLiteral("caf\u00e9!");
    QTest::newRow("cut sequence at end")
        << QByteArray("x\xe2\x82") << QStringLiteral("x\u00e2\u0082");
    QTest::newRow("overlong") << QByteArray("\xc0\x80") << QStringLiteral("\u00c0\u0080");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80")
                               << QStringLiteral("\u00ed\u00a0\u0080");
    QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x98\x80")
                                << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("embedded zero")
        << QByteArray("a\0b", 3) << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
}

void TstDetailWidgets::decodesForDisplay() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(
        DecodeForDisplay(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))),
        shown);
}

void TstDetailWidgets::paneStartsEmptyAndShowsTheSelectedTab() {
    CDetailPaneDlg pane;
    QCOMPARE(pane.TabStrip().count(), 4);
    QCOMPARE(pane.TabStrip().tabText(0), QStringLiteral("SQL"));
    QCOMPARE(pane.TabStrip().tabText(1), QStringLiteral("COST"));
    QCOMPARE(pane.TabStrip().tabText(2), QStringLiteral("PLAN"));
    QCOMPARE(pane.TabStrip().tabText(3), QStringLiteral("WAITS"));
    for (int tab = 0; tab < 4; ++tab) {
        pane.TabStrip().setCurrentIndex(tab);
        QVERIFY(pane.EditBox().toPlainText().isEmpty());
    }
    pane.TabStrip().setCurrentIndex(0);
    pane.SetStatementTexts("select 1\r\nfrom dual\r\n", "stats\r\n", "plan\r\n", "waits\r\n");
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("select 1\nfrom dual\n"));
    QCOMPARE(pane.EditBox().document()->blockCount(), 3); // one CR LF is one line break
    pane.TabStrip().setCurrentIndex(2);
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("plan\n"));
    QCOMPARE(pane.GetText(1), std::string("stats\r\n"));
    pane.TabStrip().setCurrentIndex(3);
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("waits\n"));
}

void TstDetailWidgets::selectedTabPersistsAcrossStatements() {
    CDetailPaneDlg pane;
    pane.TabStrip().setCurrentIndex(1);
    pane.SetStatementTexts("one", "cost one", "plan one");
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("cost one"));
    pane.SetStatementTexts("two", "cost two", "plan two");
    QCOMPARE(pane.TabStrip().currentIndex(), 1);
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("cost two"));
    pane.SetStatementTexts({}, {}, {});
    QVERIFY(pane.EditBox().toPlainText().isEmpty());
}

void TstDetailWidgets::paneIsReadOnlyFixedPitchAndUnwrapped() {
    CDetailPaneDlg pane;
    pane.resize(400, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QPlainTextEdit& edit = pane.EditBox();
    QVERIFY(edit.isReadOnly());
    QVERIFY(edit.textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(edit.lineWrapMode(), QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(edit.font());
    QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')),
             metrics.horizontalAdvance(QLatin1Char('W')));
    QCOMPARE(edit.font().pointSize(), 12);
    // The headings of the call statistics table stand over their columns: "cpu" starts where
    // the cpu figures do, after the tabs of "call\tcount\t".
    pane.SetStatementTexts({}, "call\tcount\tcpu      elapsed\r\nParse        1        10\r\n", {});
    pane.TabStrip().setCurrentIndex(1);
    QTextCursor cursor(edit.document());
    cursor.setPosition(static_cast<int>(std::string_view("call\tcount\t").size()));
    const int headingX = edit.cursorRect(cursor).x();
    cursor.setPosition(edit.document()->findBlockByNumber(1).position() + 16);
    QCOMPARE(headingX, edit.cursorRect(cursor).x());
    pane.TabStrip().setCurrentIndex(0);
    // The edit box fills the pane above a 26-pixel tab strip that leaves 4 pixels free.
    QCOMPARE(edit.geometry(), QRect(0, 0, 400, 170));
    QCOMPARE(pane.TabStrip().geometry(), QRect(0, 170, 400, 26));
    pane.SetStatementTexts(std::string(500, 'x'), {}, {});
    QCOMPARE(edit.document()->blockCount(), 1);
    QTest::keyClick(&edit, Qt::Key_A);
    QCOMPARE(edit.toPlainText(), QString(500, QLatin1Char('x')));
}

void TstDetailWidgets::barOpensWithPaneHeightPlusNineAndKeepsItWhenShownAgain() {
    QMainWindow frame;
    frame.setCentralWidget(new QWidget(&frame));
    frame.resize(800, 700);
    auto* pane = new CDetailPaneDlg;
    const int paneHeight = pane->height();
    auto* bar = new CSizingBar(QStringLiteral("Trace Detail Output"), &frame);
    QVERIFY(bar->Create(frame, *pane));
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(bar->InitialThickness(), paneHeight + 9);
    QTRY_COMPARE(bar->height(), paneHeight + 9);
    QCOMPARE(bar->windowTitle(), QStringLiteral("Trace Detail Output"));
    QVERIFY(bar->features() & QDockWidget::DockWidgetClosable);
    QVERIFY(bar->features() & QDockWidget::DockWidgetFloatable);

    frame.resizeDocks({bar}, {250}, Qt::Vertical);
    QTRY_COMPARE(bar->height(), 250);
    bar->close(); // the bar's close button
    QVERIFY(bar->isHidden());
    bar->show();
    QTRY_COMPARE(bar->height(), 250);
}

void TstDetailWidgets::barNeverGetsLowerThan32AndDocksOnlyAtTheBottom() {
    QMainWindow frame;
    frame.setCentralWidget(new QWidget(&frame));
    frame.resize(800, 700);
    auto* bar = new CSizingBar(QStringLiteral("Trace Detail Output"), &frame);
    QVERIFY(bar->Create(frame, *new CDetailPaneDlg));
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(bar->allowedAreas(), Qt::BottomDockWidgetArea);
    QCOMPARE(frame.dockWidgetArea(bar), Qt::BottomDockWidgetArea);
    frame.resizeDocks({bar}, {1}, Qt::Vertical);
    QTest::qWait(50);
    QVERIFY(bar->height() >= CSizingBar::kMinimumThickness);

    bar->setFloating(true);
    QTRY_VERIFY(bar->isFloating());
    bar->setFloating(false);
    QTRY_VERIFY(!bar->isFloating());
    QCOMPARE(frame.dockWidgetArea(bar), Qt::BottomDockWidgetArea);
}

QTEST_MAIN(TstDetailWidgets)
#include "tst_detailwidgets.moc"
