#include "CBoxCatcher.h"
#include "CFileDialogs.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenCommands.h"
#include "COpenRequest.h"
#include "CStatementColumns.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QCommandLinkButton>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// Analysis windows as they open, switch and close: the one in front is maximised and its tab
// selected, the detail pane never shows another window's statement, the empty frame shows the
// start page, and the file sets opened last come back from the File menu.
class TstWindowLife : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyWayOfClosingLeavesTheNextWindowMaximised();
    void paneShowsTheSelectionOfTheWindowInFrontOnly();
    void recentFileSetsReopenWithTheirSysChoice();
    void missingRecentFileIsReportedAndLeavesTheList();
    void startPageShowsWhileNoWindowIsOpen();
    void cancelledReadMessageCoversReady();
    void columnsScaleWithTheListsFont();

private:
    QString Fixture(const QString& name);
    CVelquorView* Open(const QString& name, bool showSys = true);
    void ExpectFrontWindowMaximised(const char* after);
    QList<QAction*> RecentEntries() const;
    QWidget* StartPage() const;
    static QAbstractButton* ButtonWithText(QWidget* parent, const QString& text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

void TstWindowLife::init() {
    QSettings().remove(QStringLiteral("Recent File List"));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstWindowLife::cleanup() {
    CFileDialogs::SetOpenChooser({});
    m_frame.reset();
    m_dir.reset();
}

// Two statements: user 0 (SYS) and user 5.
QString TstWindowLife::Fixture(const QString& name) {
    const QString path = m_dir->filePath(name);
    WriteBytes(path, CursorBlock(1, 0, 3, "select sys from dual") +
                         CursorBlock(2, 5, 2, "insert into t values (1)"));
    return path;
}

CVelquorView* TstWindowLife::Open(const QString& name, bool showSys) {
    return OpenAndWait(*m_frame, {Fixture(name)}, showSys);
}

void TstWindowLife::ExpectFrontWindowMaximised(const char* after) {
    QMdiArea& area = m_frame->MdiArea();
    QTRY_VERIFY2(area.currentSubWindow() != nullptr && area.currentSubWindow()->isMaximized(),
                 after);
    QMdiSubWindow* front = area.currentSubWindow();
    QTRY_COMPARE(front->size(), area.viewport()->size());
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    QVERIFY2(tabs.GetCurSel() >= 0, after);
    QCOMPARE(tabs.GetTabView(tabs.GetCurSel()), front->widget());
    QVERIFY2(m_frame->windowTitle().contains(front->windowTitle()), after);
}

QList<QAction*> TstWindowLife::RecentEntries() const {
    const QMenu* file = m_frame->menuBar()->actions().constFirst()->menu();
    QList<QAction*> entries;
    for (QAction* action : file->actions()) {
        if (action->isVisible() && action->text().size() > 3 && action->text()[0] == u'&' &&
            action->text()[1].isDigit() && action->text()[2] == u' ') {
            entries << action;
        }
    }
    return entries;
}

QWidget* TstWindowLife::StartPage() const {
    return m_frame->findChild<QWidget*>(QStringLiteral("startPage"));
}

QAbstractButton* TstWindowLife::ButtonWithText(QWidget* parent, const QString& text) {
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

void TstWindowLife::everyWayOfClosingLeavesTheNextWindowMaximised() {
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"the tab strip's close button",
         [&] { QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.CloseButtonRect().center()); }},
        {"File > Close", [&] { m_frame->Commands().m_actFileClose->trigger(); }},
        {"the window's own close box", [&] { m_frame->MdiArea().currentSubWindow()->close(); }},
    };
    for (const auto& [way, close] : ways) {
        Open(QStringLiteral("a_ora_1.trc"));
        Open(QStringLiteral("b_ora_2.trc"));
        Open(QStringLiteral("c_ora_3.trc"));
        ExpectFrontWindowMaximised("opening");
        close();
        QTRY_COMPARE(m_frame->MdiArea().subWindowList().size(), 2);
        ExpectFrontWindowMaximised(way);
        QVERIFY(!QTest::currentTestFailed());
        // Every other window comes to the front maximised too.
        QTest::mouseClick(&tabs.TabBar(), Qt::LeftButton, {}, tabs.TabBar().tabRect(0).center());
        ExpectFrontWindowMaximised(way);
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(tabs.GetCurSel(), 0);
        close();
        QTRY_COMPARE(m_frame->MdiArea().subWindowList().size(), 1);
        ExpectFrontWindowMaximised(way);
        QVERIFY(!QTest::currentTestFailed());
        close();
        QTRY_VERIFY(m_frame->MdiArea().subWindowList().isEmpty());
        QTRY_COMPARE(tabs.GetItemCount(), 0);
    }
}

void TstWindowLife::paneShowsTheSelectionOfTheWindowInFrontOnly() {
    CDetailPaneDlg& pane = m_frame->DetailDlg();
    CVelquorView* a = Open(QStringLiteral("a_ora_1.trc"));
    a->selectRow(1);
    QCOMPARE(pane.GetText(0), std::string("insert into t values (1)\r\n"));

    CVelquorView* b = Open(QStringLiteral("b_ora_2.trc"));
    QVERIFY2(pane.GetText(0).empty(), "after opening a file window");
    b->selectRow(0);
    QVERIFY(!pane.GetText(0).empty());
    m_frame->MdiArea().activatePreviousSubWindow();
    QCOMPARE(m_frame->ActiveView(), a);
    QCOMPARE(pane.GetText(0), std::string("insert into t values (1)\r\n")); // a's selection

    b->selectRow(1);
    m_frame->Commands().m_actFileClose->trigger(); // closes a, the window in front
    QTRY_COMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QTRY_VERIFY2(pane.GetText(0).empty(), "after closing a window");

    b->selectRow(0);
    QVERIFY(!pane.GetText(0).empty());
    m_frame->Commands().m_actFileClose->trigger();
    QTRY_VERIFY(m_frame->MdiArea().subWindowList().isEmpty());
    QTRY_VERIFY2(pane.GetText(0).empty(), "after File > Close of the last window");

    CVelquorView* c = Open(QStringLiteral("c_ora_3.trc"));
    c->selectRow(0);
    QVERIFY(!pane.GetText(0).empty());
    m_frame->FrontWindow().Open(
        COpenRequest::LiveTrace("live", QFile::encodeName(m_dir->path()).toStdString(), true, {}));
    QVERIFY2(pane.GetText(0).empty(), "after opening a live window");
}

void TstWindowLife::recentFileSetsReopenWithTheirSysChoice() {
    QVERIFY(RecentEntries().isEmpty());
    const QString a = Fixture(QStringLiteral("a_ora_1.trc"));
    const QString b = Fixture(QStringLiteral("b_ora_2.trc"));
    const QString c = Fixture(QStringLiteral("c_ora_3.trc"));
    const QString d = Fixture(QStringLiteral("d_ora_4.trc"));
    const QString e = Fixture(QStringLiteral("e_ora_5.trc"));
    const auto openWith = [this](QAction* command, const QStringList& paths) {
        CFileDialogs::SetOpenChooser([paths] { return paths; });
        command->trigger();
        QTRY_VERIFY(m_frame->ActiveView() != nullptr && !m_frame->ActiveView()->IsReading());
    };
    CMainCommands& commands = m_frame->Commands();
    openWith(commands.m_actOpenHideSys, {a, b}); // one set of two files, SYS hidden
    openWith(commands.m_actOpenShowSys, {c});
    openWith(commands.m_actOpenShowSys, {d});
    openWith(commands.m_actOpenShowSys, {e});
    openWith(commands.m_actOpenShowSys, {c}); // again: back to the top, not twice

    QList<QAction*> entries = RecentEntries();
    QCOMPARE(entries.size(), 4);
    QVERIFY(entries[0]->text().startsWith(QStringLiteral("&1 c_ora_3.trc")));
    QVERIFY(entries[1]->text().startsWith(QStringLiteral("&2 e_ora_5.trc")));
    QVERIFY(entries[2]->text().startsWith(QStringLiteral("&3 d_ora_4.trc")));
    QVERIFY(entries[3]->text().startsWith(QStringLiteral("&4 a_ora_1.trc")));
    QVERIFY(entries[3]->text().contains(QStringLiteral("b_ora_2.trc")));
    // Listed just above Exit.
    const QList<QAction*> items = m_frame->menuBar()->actions().constFirst()->menu()->actions();
    const qsizetype exit = items.indexOf(m_frame->Commands().m_actAppExit);
    QCOMPARE(items.indexOf(entries[3]), exit - 2);
    QVERIFY(items[exit - 1]->isSeparator());

    // The set of two opens again as one window, SYS hidden as it was opened.
    const int windows = static_cast<int>(m_frame->MdiArea().subWindowList().size());
    entries[3]->trigger();
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), windows + 1);
    CVelquorView* view = m_frame->ActiveView();
    QTRY_VERIFY(!view->IsReading());
    QCOMPARE(view->Document().GetTitle(), std::string("a_ora_1;b_ora_2;"));
    QCOMPARE(view->Model().rowCount(), 2); // user 5 of each file
    QVERIFY(RecentEntries().constFirst()->text().startsWith(QStringLiteral("&1 a_ora_1.trc")));
    RecentEntries()[1]->trigger(); // c, SYS shown
    QTRY_VERIFY(!m_frame->ActiveView()->IsReading());
    QCOMPARE(m_frame->ActiveView()->Model().rowCount(), 2);
    QCOMPARE(m_frame->ActiveView()->Document().GetTitle(), std::string("c_ora_3;"));
}

void TstWindowLife::missingRecentFileIsReportedAndLeavesTheList() {
    Open(QStringLiteral("a_ora_1.trc"));
    const QString gone = Fixture(QStringLiteral("gone_ora_2.trc"));
    OpenAndWait(*m_frame, {gone});
    QCOMPARE(RecentEntries().size(), 2);
    QVERIFY(QFile::remove(gone));
    const int windows = static_cast<int>(m_frame->MdiArea().subWindowList().size());
    CBoxCatcher boxes;
    RecentEntries().constFirst()->trigger();
    QTRY_COMPARE(boxes.Boxes().size(), 1);
    QVERIFY2(boxes.Boxes().constFirst().contains(gone), qPrintable(boxes.Boxes().constFirst()));
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), windows);
    QCOMPARE(RecentEntries().size(), 1);
    QVERIFY(RecentEntries().constFirst()->text().startsWith(QStringLiteral("&1 a_ora_1.trc")));
}

void TstWindowLife::startPageShowsWhileNoWindowIsOpen() {
    QWidget* page = StartPage();
    QVERIFY(page != nullptr);
    QVERIFY(page->isVisible());
    QVERIFY(!m_frame->MdiArea().isVisible());
    auto* openFiles = qobject_cast<QCommandLinkButton*>(
        ButtonWithText(page, QStringLiteral("Open trace files...")));
    auto* openLive = qobject_cast<QCommandLinkButton*>(
        ButtonWithText(page, QStringLiteral("Open a live trace...")));
    QVERIFY(openFiles != nullptr);
    QVERIFY(openLive != nullptr);
    QVERIFY2(openFiles->description().startsWith(QStringLiteral("Ctrl+O")),
             qPrintable(openFiles->description()));
    QVERIFY2(openLive->description().startsWith(QStringLiteral("Ctrl+N")),
             qPrintable(openLive->description()));
    QStringList texts;
    for (const QLabel* label : page->findChildren<QLabel*>()) {
        texts << label->text();
    }
    const QString all = texts.join(u'\n');
    QVERIFY2(all.contains(QStringLiteral(".trc files")) && all.contains(QStringLiteral(".gz")),
             qPrintable(all));

    const QString path = Fixture(QStringLiteral("start_ora_1.trc"));
    CFileDialogs::SetOpenChooser([path] { return QStringList{path}; });
    QTest::mouseClick(openFiles, Qt::LeftButton);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QVERIFY(!page->isVisible());
    QVERIFY(m_frame->MdiArea().isVisible());
    QTRY_VERIFY(!m_frame->ActiveView()->IsReading());
    QCOMPARE(m_frame->ActiveView()->Model().rowCount(), 2); // opened with SYS shown

    m_frame->Commands().m_actFileClose->trigger();
    QTRY_VERIFY(page->isVisible());
    QVERIFY(!m_frame->MdiArea().isVisible());
    // The file just opened is offered on the page and opens again from there.
    QAbstractButton* recent = nullptr;
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && button->text().contains(QStringLiteral("start_ora_1.trc"))) {
            recent = button;
        }
    }
    QVERIFY(recent != nullptr);
    QTest::mouseClick(recent, Qt::LeftButton);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QVERIFY(!page->isVisible());
}

void TstWindowLife::cancelledReadMessageCoversReady() {
    std::string big;
    for (int i = 0; big.size() < 40u * 1024 * 1024; ++i) {
        big += CursorBlock(i, 5, 3, "select " + std::to_string(i) + " from dual");
    }
    const QString path = m_dir->filePath(QStringLiteral("big_ora_1.trc"));
    WriteBytes(path, big);
    m_frame->OpenCommands().OpenTracePaths({path}, true);
    QStatusBar& bar = m_frame->StatusBar();
    auto* cancel = bar.findChild<QPushButton*>(QStringLiteral("readCancel"));
    QVERIFY(cancel != nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!m_frame->ActiveView()->IsReading());
    QTest::qWait(100); // the bar lays itself out again without the progress bar
    QVERIFY(bar.currentMessage().startsWith(QStringLiteral("Reading cancelled")));
    for (const QLabel* label : bar.findChildren<QLabel*>()) {
        QVERIFY2(!label->isVisible() || label->text() != QStringLiteral("Ready"),
                 "Ready is shown under the message");
    }
    bar.clearMessage();
    bool ready = false;
    for (const QLabel* label : bar.findChildren<QLabel*>()) {
        ready = ready || (label->isVisible() && label->text() == QStringLiteral("Ready"));
    }
    QVERIFY(ready);
}

void TstWindowLife::columnsScaleWithTheListsFont() {
    const QFont original = QApplication::font();
    for (const int points : {7, 10, 16}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        CVelquorView* view = Open(QStringLiteral("font_ora_1.trc"));
        QHeaderView* header = view->horizontalHeader();
        const int widest = CStatementColumns::kSqlColumn;
        const double scale =
            static_cast<double>(header->sectionSize(widest)) / CStatementColumns::At(widest).width;
        QVERIFY2(scale >= 1.0, "never narrower than the table's widths");
        for (int c = 0; c < CStatementColumns::kCount; ++c) {
            const QString what =
                QString::number(points) + QStringLiteral(" pt, column ") + QString::number(c);
            QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c), qPrintable(what));
            QVERIFY2(std::abs(header->sectionSize(c) - CStatementColumns::At(c).width * scale) <=
                         1.0,
                     qPrintable(what));
        }
        m_frame->Commands().m_actFileClose->trigger();
        QTRY_VERIFY(m_frame->MdiArea().subWindowList().isEmpty());
    }
    QApplication::setFont(original);
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // no profile of the user's is read or written
    CVelquorApp app(argc, argv);
    TstWindowLife test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowlife.moc"
