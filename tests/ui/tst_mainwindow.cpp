#include "CChildFrame.h"
#include "CFileDialogs.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenCommands.h"
#include "COpenRequest.h"
#include "CPosixFileSystem.h"
#include "CStatementColumns.h"
#include "CStderrNotifier.h"
#include "CTraceSettings.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "LiveTraceRequest.h"
#include "UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

// The main window and file-mode analysis windows, driven through their real widgets.
class TstMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void traceNameFromPath_data();
    void traceNameFromPath();
    void openRequestTitles_data();
    void openRequestTitles();
    void liveTraceRequestFromTheStoredTrace_data();
    void liveTraceRequestFromTheStoredTrace();
    void cancelledOpenOpensNothing();
    void openCommandsPassTheSysFlag();

    void fixtureRowsShowEveryColumn();
    void hideSysDropsUserZero();
    void emptyTraceShowsHeadersAndNoRows();
    void realTracesListEveryRecord();
    void listModelPassesTheModelTester();
    void selectionFillsThePane();

    void tabStripFollowsTheWindows();
    void tabClickActivatesItsWindowAndEmptiesThePane();
    void closeButtonPressDragOffReleaseClosesNothing();
    void closeButtonClosesTheSelectedTabsWindow();
    void rightMarginIsInert();

    void menusAndToolbarMatchTheWindowState();
    void detailPaneTogglesWithItsCheckMark();
    void childFrameStaysMaximised();
    void cancelAndCloseDuringARead();

private:
    QString Fixture(const QString& name, const std::string& bytes);
    CVelquorView* OpenFixtureWindow(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

void TstMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstMainWindow::cleanup() {
    CFileDialogs::SetOpenChooser({});
    m_frame.reset();
    m_dir.reset();
}

QString TstMainWindow::Fixture(const QString& name, const std::string& bytes) {
    const QString path = m_dir->filePath(name);
    WriteBytes(path, bytes);
    return path;
}

CVelquorView* TstMainWindow::OpenFixtureWindow(const QString& name) {
    const QString path = Fixture(name, CursorBlock(1, 5, 3, "select 1 from dual") +
                                           CursorBlock(2, 5, 2, "insert into t values (1)"));
    return OpenAndWait(*m_frame, {path});
}

void TstMainWindow::traceNameFromPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("trace") << "/t/db_ora_1.trc"
                           << "db_ora_1";
    QTest::newRow("no folder") << "abc.trc"
                               << "abc";
    QTest::newRow("short name") << "/x/ab"
                                << "";
    QTest::newRow("bars removed") << "/x/a|b|c.trc"
                                  << "abc";
    QTest::newRow("other extension cut too") << "/x/abc.log"
                                             << "abc";
    QTest::newRow("compressed as the trace it holds") << "/t/db_ora_1.trc.gz"
                                                      << "db_ora_1";
    QTest::newRow("xz") << "/t/db_ora_1.trc.xz"
                        << "db_ora_1";
}

void TstMainWindow::traceNameFromPath() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(COpenRequest::TraceNameFromPath(path.toStdString())), name);
}

void TstMainWindow::openRequestTitles_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("title");
    QTest::newRow("two files") << QStringList{"/t/ora_1.trc", "/t/ora_2.trc"} << "ora_1;ora_2;";
    QTest::newRow("one file") << QStringList{"/x/abc.trc"} << "abc;";
    // 39 characters of name and its ";" make exactly 40: no "...".
    QTest::newRow("exactly 40") << QStringList{"/x/" + QString(39, QLatin1Char('a')) + ".trc"}
                                << QString(39, QLatin1Char('a')) + ";";
    QTest::newRow("41 cut") << QStringList{"/x/" + QString(40, QLatin1Char('b')) + ".trc"}
                            << QString(40, QLatin1Char('b')) + "...";
}

void TstMainWindow::openRequestTitles() {
    QFETCH(QStringList, paths);
    QFETCH(QString, title);
    const COpenRequest request = COpenRequest::TraceFiles(EncodedPaths(paths), false);
    QCOMPARE(request.m_mode, COpenRequest::Mode::TraceFiles);
    QCOMPARE(QString::fromStdString(request.m_strTraceName), title);
    QCOMPARE(request.m_paths, EncodedPaths(paths));
    QVERIFY(!request.m_bShowSys);
    QVERIFY(request.m_strCommandTypeFlags.empty()); // a file window has no type filter
}

void TstMainWindow::liveTraceRequestFromTheStoredTrace_data() {
    QTest::addColumn<QString>("sys");
    QTest::addColumn<bool>("showSys");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading blanks") << "  2x" << true;
    QTest::newRow("not a number") << "yes" << false;
}

void TstMainWindow::liveTraceRequestFromTheStoredTrace() {
    QFETCH(QString, sys);
    QFETCH(bool, showSys);
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, "prod");
    trace.SetValue(CTraceSettings::kTracePath, "/mnt/prod/trace");
    trace.SetValue(CTraceSettings::kSys, sys.toStdString());
    trace.SetValue(CTraceSettings::kOctCheck, "101");
    const COpenRequest request = LiveTraceRequest(trace);
    QCOMPARE(request.m_mode, COpenRequest::Mode::LiveTrace);
    QCOMPARE(request.m_strTraceName, std::string("prod"));
    QCOMPARE(request.m_strTraceFolder, std::string("/mnt/prod/trace"));
    QCOMPARE(request.m_bShowSys, showSys);
    QCOMPARE(request.m_strCommandTypeFlags, std::string("101"));
    QVERIFY(request.m_paths.empty());
}

void TstMainWindow::cancelledOpenOpensNothing() {
    CFileDialogs::SetOpenChooser([] { return QStringList(); });
    m_frame->OpenCommands().OpenTraceFiles(false);
    QVERIFY(m_frame->MdiArea().subWindowList().isEmpty());
}

void TstMainWindow::openCommandsPassTheSysFlag() {
    const QString path =
        Fixture(QStringLiteral("sys_ora_7.trc"),
                CursorBlock(1, 0, 3, "select sys") + CursorBlock(2, 9, 3, "select u"));
    CFileDialogs::SetOpenChooser([path] { return QStringList{path}; });
    CMainCommands& commands = m_frame->Commands();
    const std::pair<QAction*, int> cases[] = {{commands.m_actOpenShowSys, 2},
                                              {commands.m_actOpenTraceFiles, 2},
                                              {commands.m_actDropShowSys, 2},
                                              {commands.m_actOpenHideSys, 1},
                                              {commands.m_actDropHideSys, 1}};
    for (const auto& [action, rows] : cases) {
        QVERIFY(action->isEnabled());
        action->trigger();
        CVelquorView* view = m_frame->ActiveView();
        QVERIFY(view != nullptr);
        QTRY_VERIFY(!view->IsReading());
        QCOMPARE(view->Model().rowCount(), rows);
        QCOMPARE(m_frame->ActiveView()->Document().GetTitle(), std::string("sys_ora_7;"));
    }
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 5);
}

void TstMainWindow::fixtureRowsShowEveryColumn() {
    const std::string longSql = "select\r\n" + std::string(200, 'c') + " from dual";
    const QString path = Fixture(QStringLiteral("fix_ora_4242.trc"),
                                 CursorBlock(1, 5, 3, longSql, 10) +
                                     CursorBlock(2, 7, 2, "insert into t values ('\xe9')", 100));
    CVelquorView* view = OpenAndWait(*m_frame, {path});
    QVERIFY(view != nullptr);
    CStatementListModel& model = view->Model();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 17); // the description's 14, then sqlid, self elapsed, waits
    const QStringList titles = {"Command Type", "uid",  "pid",          "Sql Statament", "Error No",
                                "count",        "cpu",  "elapsed",      "disk",          "query",
                                "current",      "rows", "parse misses", "execute misses"};
    const int widths[] = {90, 80, 80, 180, 80, 80, 80, 90, 80, 80, 80, 80, 100, 100};
    for (int c = 0; c < 14; ++c) {
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(CStatementColumns::At(c).width, widths[c]); // scaled with the font when shown
    }
    const QString sqlCell = QStringLiteral("select ") + QString(121, QLatin1Char('c'));
    const QStringList first = {"SELECT", "5", "4242", sqlCell, "",  "3", "60",
                               "63",     "3", "6",    "9",     "7", "1", "0"};
    const QStringList second = {
        "INSERT", "7", "4242", QString::fromUtf8("insert into t values ('\u00e9')"),
        "",       "3", "330",  "333",
        "3",      "6", "9",    "7",
        "1",      "0"};
    for (int c = 0; c < 14; ++c) {
        QCOMPARE(model.index(0, c).data().toString(), first[c]);
        QCOMPARE(model.index(1, c).data().toString(), second[c]);
    }
    QCOMPARE(model.index(0, 3).data().toString().size(), 128);
    for (const int left : {0, 3}) { // Command Type and the SQL text
        QCOMPARE(model.index(0, left).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignLeft,
                 Qt::AlignLeft);
    }
    QCOMPARE(model.index(0, 5).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHCenter,
             Qt::AlignHCenter);
    QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(view->showGrid());
}

void TstMainWindow::hideSysDropsUserZero() {
    const QString path =
        Fixture(QStringLiteral("sys_ora_1.trc"),
                CursorBlock(1, 0, 3, "select sys") + CursorBlock(2, 9, 3, "select u"));
    CVelquorView* shown = OpenAndWait(*m_frame, {path}, true);
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->Model().rowCount(), 2);
    CVelquorView* hidden = OpenAndWait(*m_frame, {path}, false);
    QVERIFY(hidden != nullptr);
    QCOMPARE(hidden->Model().rowCount(), 1);
    QCOMPARE(hidden->Model().index(0, 1).data().toString(), QStringLiteral("9"));
}

void TstMainWindow::emptyTraceShowsHeadersAndNoRows() {
    const QString path = Fixture(QStringLiteral("empty_ora_1.trc"), "no statements here\r\n");
    CVelquorView* view = OpenAndWait(*m_frame, {path});
    QVERIFY(view != nullptr);
    QCOMPARE(view->Model().rowCount(), 0);
    QCOMPARE(view->horizontalHeader()->count(), CStatementColumns::kCount);
}

void TstMainWindow::realTracesListEveryRecord() {
    const QStringList traces = RealTraces();
    QSKIP_WITHOUT_REAL_TRACES(traces);
    CVelquorView* view = OpenAndWait(*m_frame, traces);
    QVERIFY(view != nullptr);

    // The same files read directly, on this thread, give the same records in the same order.
    CPosixFileSystem files;
    CStderrNotifier notifier;
    CTraceAnalyzer direct(m_frame->Catalog(), files, notifier);
    direct.SetFiles(EncodedPaths(traces));
    direct.SetShowSys(1);
    direct.ReadFileList();
    QVERIFY(direct.GetCount() > 100);
    QCOMPARE(view->Model().rowCount(), static_cast<int>(direct.GetCount()));
    QCOMPARE(view->Analyzer().GetCount(), direct.GetCount());
    for (std::int64_t i = 0; i < direct.GetCount(); ++i) {
        QVERIFY(view->Analyzer().GetRecord(i) == direct.GetRecord(i));
    }
    const int last = view->Model().rowCount() - 1;
    QCOMPARE(view->Model().index(last, 1).data().toString(),
             QString::number(direct.GetRecord(last).UserId()));
    QVERIFY(view->Document().GetTitle().size() == 40 + 3);
    QVERIFY(m_frame->windowTitle().contains(QStringLiteral("Velquor")));
}

void TstMainWindow::listModelPassesTheModelTester() {
    CVelquorView* view = OpenFixtureWindow(QStringLiteral("model_ora_1.trc"));
    QVERIFY(view != nullptr);
    QAbstractItemModelTester tester(&view->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    view->OnClear();
    QCOMPARE(view->Model().rowCount(), 0);
}

void TstMainWindow::selectionFillsThePane() {
    CVelquorView* view = OpenFixtureWindow(QStringLiteral("sel_ora_1.trc"));
    QVERIFY(view != nullptr);
    CDetailPaneDlg& pane = m_frame->DetailDlg();
    QVERIFY(pane.EditBox().toPlainText().isEmpty());
    const QRect cell = view->visualRect(view->Model().index(1, 3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(pane.EditBox().toPlainText(), QStringLiteral("insert into t values (1)\n"));
    pane.TabStrip().setCurrentIndex(1);
    const QString stats = pane.EditBox().toPlainText();
    QVERIFY(!stats.isEmpty());
    view->selectRow(0);
    QCOMPARE(pane.TabStrip().currentIndex(), 1);
    QCOMPARE(pane.GetText(0), std::string("select 1 from dual\r\n"));
    QCOMPARE(pane.EditBox().toPlainText(), stats); // same figures, the COST tab still shown
    view->clearSelection();
    QCOMPARE(pane.GetText(0), std::string("select 1 from dual\r\n")); // the row losing it
}

void TstMainWindow::tabStripFollowsTheWindows() {
    QVERIFY(m_frame->DialogBar().isHidden());
    CVelquorView* a = OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    QVERIFY(!m_frame->DialogBar().isHidden());
    QCOMPARE(m_frame->DialogBar().height(), CMainFrame::kTabBarHeight);
    CVelquorView* b = OpenFixtureWindow(QStringLiteral("b_ora_2.trc"));
    CVelquorView* c = OpenFixtureWindow(QStringLiteral("c_ora_3.trc"));
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    QCOMPARE(tabs.GetItemCount(), 3);
    QCOMPARE(m_frame->TabList().GetCount(), 3);
    const QStringList titles = {"a_ora_1;", "b_ora_2;", "c_ora_3;"};
    const CVelquorView* views[] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tabs.GetTabText(i), titles[i]);
        QCOMPARE(tabs.GetTabView(i), views[i]);
    }
    QCOMPARE(tabs.width(), m_frame->DialogBar().width());

    b->parentWidget()->close(); // the middle window's own close box
    QTRY_COMPARE(tabs.GetItemCount(), 2);
    QCOMPARE(tabs.GetTabText(0), titles[0]);
    QCOMPARE(tabs.GetTabText(1), titles[2]);
    a->parentWidget()->close();
    c->parentWidget()->close();
    QTRY_COMPARE(tabs.GetItemCount(), 0);
    QVERIFY(m_frame->DialogBar().isHidden());
    OpenFixtureWindow(QStringLiteral("d_ora_4.trc"));
    QVERIFY(!m_frame->DialogBar().isHidden());
}

void TstMainWindow::tabClickActivatesItsWindowAndEmptiesThePane() {
    CVelquorView* a = OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    CVelquorView* b = OpenFixtureWindow(QStringLiteral("b_ora_2.trc"));
    QCOMPARE(m_frame->ActiveView(), b);
    b->selectRow(0);
    QVERIFY(!m_frame->DetailDlg().GetText(0).empty());
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    QTabBar& bar = tabs.TabBar();
    tabs.SetCurSel(1);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(0).center());
    QCOMPARE(tabs.GetCurSel(), 0);
    QCOMPARE(m_frame->ActiveView(), a);
    QVERIFY(m_frame->DetailDlg().GetText(0).empty());
    QVERIFY(m_frame->MdiArea().currentSubWindow()->isMaximized());
}

void TstMainWindow::closeButtonPressDragOffReleaseClosesNothing() {
    OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    OpenFixtureWindow(QStringLiteral("b_ora_2.trc"));
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    const QPoint button = tabs.CloseButtonRect().center();
    QTest::mousePress(&tabs, Qt::LeftButton, {}, button);
    QVERIFY(tabs.IsPressed());
    PressMoveRelease(&tabs, button, QPoint(button.x() - 30, button.y()));
    QVERIFY(!tabs.IsPressed());
    QCOMPARE(tabs.GetItemCount(), 2);

    // Off and back on again: the press is over, so the release closes nothing either.
    QTest::mousePress(&tabs, Qt::LeftButton, {}, button);
    QMouseEvent off(QEvent::MouseMove, QPointF(button.x() - 30, button.y()),
                    QPointF(tabs.mapToGlobal(QPoint(button.x() - 30, button.y()))), Qt::NoButton,
                    Qt::LeftButton, {});
    QCoreApplication::sendEvent(&tabs, &off);
    QTest::mouseRelease(&tabs, Qt::LeftButton, {}, button);
    QCOMPARE(tabs.GetItemCount(), 2);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 2);
}

void TstMainWindow::closeButtonClosesTheSelectedTabsWindow() {
    CVelquorView* a = OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    CVelquorView* b = OpenFixtureWindow(QStringLiteral("b_ora_2.trc"));
    QCOMPARE(m_frame->ActiveView(), b);
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    tabs.SetCurSel(0); // the selected tab need not be the active window
    b->selectRow(0);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.CloseButtonRect().center());
    QCOMPARE(tabs.GetItemCount(), 1);
    QCOMPARE(tabs.GetTabView(0), b);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QVERIFY(m_frame->DetailDlg().GetText(0).empty());
    QCOMPARE(tabs.GetCurSel(), 0);
    Q_UNUSED(a);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.CloseButtonRect().center());
    QCOMPARE(tabs.GetItemCount(), 0);
    QTRY_VERIFY(m_frame->DialogBar().isHidden());
    // With no tab the button does nothing.
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.CloseButtonRect().center());
}

void TstMainWindow::rightMarginIsInert() {
    OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    OpenFixtureWindow(QStringLiteral("b_ora_2.trc"));
    CWindowTabCtrl& tabs = *m_frame->TabCtrl();
    tabs.SetCurSel(1);
    const QRect margin = tabs.RightMarginRect();
    QCOMPARE(margin.width(), 25);
    QCOMPARE(tabs.CloseButtonRect(), QRect(tabs.width() - 18, 2, 16, tabs.height() - 6));
    for (const QPoint point :
         {QPoint(margin.left() + 1, margin.center().y()), QPoint(margin.right(), 0),
          QPoint(margin.center().x(), margin.bottom())}) {
        QVERIFY(!tabs.CloseButtonRect().contains(point));
        QCOMPARE(tabs.childAt(point), nullptr); // no tab lies under the margin
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, point);
        QCOMPARE(tabs.GetCurSel(), 1);
        QCOMPARE(tabs.GetItemCount(), 2);
    }
}

void TstMainWindow::menusAndToolbarMatchTheWindowState() {
    CMainCommands& c = m_frame->Commands();
    QVERIFY(!c.m_menuEdit->menuAction()->isVisible());
    QCOMPARE(c.m_actSaveStatements->text(), QStringLiteral("Save"));
    for (QAction* always : {c.m_actFileNew, c.m_actAppAbout, c.m_actHelpUsing}) {
        QVERIFY(always->isEnabled());
    }
    for (QAction* unhandled : c.m_unhandled) {
        QVERIFY(!unhandled->isEnabled());
    }
    QCOMPARE(c.m_actOpenShowSys->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(c.m_actSaveStatements->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(c.m_actFileNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(c.m_actEditCopy->shortcuts().size(), 2);
    QCOMPARE(c.m_actFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(c.m_actOpenTraceFiles->statusTip(), QStringLiteral("Open selected trace files "));
    QCOMPARE(c.m_actOpenTraceFiles->toolTip(), QStringLiteral("Open trace Files"));
    QCOMPARE(c.m_actFileNew->toolTip(), QStringLiteral("trace sniffer"));
    QCOMPARE(c.m_actClear->statusTip(), QStringLiteral("clear"));
    QVERIFY(!c.m_actRefreshStart->isEnabled());

    const QList<QAction*> items = m_frame->ToolBar().actions();
    QCOMPARE(items.size(), 12);
    const QList<QAction*> expected = {c.m_actFileNew,
                                      c.m_actOpenTraceFiles,
                                      c.m_actSaveStatements,
                                      nullptr,
                                      c.m_actRefreshStart,
                                      c.m_actRefreshStop,
                                      nullptr,
                                      c.m_actEditFind,
                                      c.m_actEditCopy,
                                      c.m_actClear,
                                      nullptr,
                                      c.m_actAppAbout};
    for (int i = 0; i < 12; ++i) {
        if (expected[i] == nullptr) {
            QVERIFY(items[i]->isSeparator());
        } else {
            QCOMPARE(items[i], expected[i]);
            QVERIFY(!items[i]->icon().isNull());
        }
    }
    QCOMPARE(c.m_openButton->popupMode(), QToolButton::MenuButtonPopup);
    QCOMPARE(c.m_openButton->menu()->actions().size(), 2);
    QCOMPARE(c.m_openButton->menu()->actions()[0]->text(), QStringLiteral("Open-Show Sys"));
    QCOMPARE(c.m_openButton->menu()->actions()[1]->text(), QStringLiteral("Open-Hide Sys"));

    OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    QVERIFY(c.m_menuEdit->menuAction()->isVisible());
    QCOMPARE(c.m_actSaveStatements->text(), QStringLiteral("&Save\tCtrl+S"));
    QVERIFY(c.m_actFileClose->isEnabled());
    QVERIFY(!c.m_actRefreshStart->isEnabled()); // Start and Stop are for live windows
    QVERIFY(!c.m_actRefreshStop->isEnabled());
    QVERIFY(c.m_actReadAgain->isEnabled());
    c.m_actFileClose->trigger();
    QTRY_VERIFY(m_frame->MdiArea().subWindowList().isEmpty());
    QTRY_VERIFY(!c.m_menuEdit->menuAction()->isVisible());
    QCOMPARE(c.m_actSaveStatements->text(), QStringLiteral("Save"));
    QVERIFY(!c.m_actFileClose->isEnabled());
}

void TstMainWindow::detailPaneTogglesWithItsCheckMark() {
    CSizingBar& bar = m_frame->DetailBar();
    QAction* toggle = m_frame->Commands().m_actViewDetailPane;
    QVERIFY(toggle->isCheckable());
    QVERIFY(toggle->isChecked());
    QVERIFY(bar.isVisible());
    QCOMPARE(bar.windowTitle(), QStringLiteral("Trace Detail Output"));
    const int height = bar.height();
    toggle->trigger();
    QVERIFY(bar.isHidden());
    QVERIFY(!toggle->isChecked());
    toggle->trigger();
    QVERIFY(bar.isVisible());
    QVERIFY(toggle->isChecked());
    QTRY_COMPARE(bar.height(), height);
    bar.close(); // its own close button
    QTRY_VERIFY(!toggle->isChecked());
}

void TstMainWindow::childFrameStaysMaximised() {
    OpenFixtureWindow(QStringLiteral("a_ora_1.trc"));
    QMdiSubWindow* frame = m_frame->MdiArea().currentSubWindow();
    QVERIFY(frame->isMaximized());
    QVERIFY(!(frame->windowFlags() & Qt::WindowMinimizeButtonHint));
    frame->showNormal();
    QTRY_VERIFY(frame->isMaximized());
    frame->showMinimized();
    QTRY_VERIFY(frame->isMaximized());
    QVERIFY(m_frame->windowTitle().contains(QStringLiteral("a_ora_1;")));
}

void TstMainWindow::cancelAndCloseDuringARead() {
    // A file big enough that its read is still under way when the test acts.
    std::string big;
    for (int i = 0; big.size() < 40u * 1024 * 1024; ++i) {
        big += CursorBlock(i, 5, 3, "select " + std::to_string(i) + " from dual");
    }
    const QString path = Fixture(QStringLiteral("big_ora_1.trc"), big);
    m_frame->OpenCommands().OpenTracePaths({path}, true);
    CVelquorView* view = m_frame->ActiveView();
    QVERIFY(view->IsReading());
    auto* cancel = m_frame->StatusBar().findChild<QPushButton*>(QStringLiteral("readCancel"));
    QVERIFY(cancel != nullptr);
    QVERIFY(m_frame->StatusBar().findChild<QProgressBar*>(QStringLiteral("readProgress")));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!view->IsReading());
    QVERIFY(m_frame->StatusBar().findChild<QPushButton*>(QStringLiteral("readCancel")) == nullptr);
    QCOMPARE(view->Model().rowCount(), static_cast<int>(view->Analyzer().GetCount()));

    m_frame->OpenCommands().OpenTracePaths({path}, true);
    QVERIFY(m_frame->ActiveView()->IsReading());
    m_frame->MdiArea().currentSubWindow()->close();
    QTRY_COMPARE(m_frame->TabCtrl()->GetItemCount(), 1);
    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // no profile of the user's is read or written
    CVelquorApp app(argc, argv);
    TstMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
