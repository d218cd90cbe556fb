#include "CCallTreePane.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenRequest.h"
#include "CProfilePane.h"
#include "CRefreshWorker.h"
#include "CResponseTimeDock.h"
#include "CSqlGroupColumns.h"
#include "CSqlGroupPane.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

// The Response Time dock over real windows: what it shows of the window in front, what its
// double-clicks select, and how a live window's new reads keep the user's choices.
class TstResponseTimeDock : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dockShowsTheWindowInFrontAndFindsItsStatements();
    void liveReadsKeepTheChosenGroupAndOrder();
    void groupsOfAWindowLeftWhileTheyAreMadeAreNotShown();
    void otherWorkOnTheRecordsNeverHoldsTheWindow();
    void shownDockIsShownAgainAtTheNextStart();

private:
    CResponseTimeDock& Dock() { return m_frame->ResponseTimeDock(); }
    // Opens a window of a timed trace, then one of an untimed trace in front of it; the
    // timed trace's view, or nullptr when a window did not open.
    CVelquorView* OpenTimedThenUntimed();
    void ShowDock();
    static void DoubleClick(QAbstractItemView& view, const QModelIndex& index);
    static QString GroupSql(int row, CSqlGroupPane& groups);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

namespace {

constexpr int kWaitMs = 5000;

// A session of 0.513 s: a query that runs a recursive one, reads a block, waits 0.5 s for the
// client and runs again on another cursor.
const char* const kTimedTrace =
    "*** 2026-12-07 10:00:00.000\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=20 dep=0 uid=5 oct=3 lid=5 tim=1000000 hv=1 ad='0' sqlid='aaa'\n"
    "select * from orders\nEND OF STMT\n"
    "PARSE #1:c=1000,e=1200,p=0,cr=0,cu=0,mis=1,r=0,dep=0,og=1,plh=0,tim=1001200\n"
    "=====================\n"
    "PARSING IN CURSOR #2 len=18 dep=1 uid=0 oct=3 lid=0 tim=1001300 hv=2 ad='0' sqlid='bbb'\n"
    "select obj# from x\nEND OF STMT\n"
    "EXEC #2:c=100,e=150,p=0,cr=1,cu=0,mis=0,r=0,dep=1,og=4,plh=0,tim=1001500\n"
    "FETCH #2:c=100,e=200,p=0,cr=2,cu=0,mis=0,r=1,dep=1,og=4,plh=0,tim=1001700\n"
    "EXEC #1:c=2000,e=2500,p=0,cr=3,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1003800\n"
    "WAIT #1: nam='db file sequential read' ela= 4000 file#=1 block#=2 blocks=1 tim=1007800\n"
    "FETCH #1:c=3000,e=8000,p=1,cr=10,cu=0,mis=0,r=10,dep=0,og=1,plh=0,tim=1011800\n"
    "WAIT #1: nam='SQL*Net message from client' ela= 500000 driver id=1 bytes=1 tim=1511800\n"
    "=====================\n"
    "PARSING IN CURSOR #3 len=20 dep=0 uid=5 oct=3 lid=5 tim=1512000 hv=1 ad='0' sqlid='aaa'\n"
    "select * from orders\nEND OF STMT\n"
    "EXEC #3:c=1000,e=1000,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=0,tim=1513000\n";

const char* const kUntimedTrace = "=====================\n"
                                  "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 hv=1\n"
                                  "select 1\nEND OF STMT\n"
                                  "EXEC #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1\n";

} // namespace

void TstResponseTimeDock::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstResponseTimeDock::cleanup() {
    m_frame.reset();
    m_dir.reset();
}

CVelquorView* TstResponseTimeDock::OpenTimedThenUntimed() {
    const QString timed = m_dir->filePath(QStringLiteral("timed_ora_1.trc"));
    const QString untimed = m_dir->filePath(QStringLiteral("untimed_ora_2.trc"));
    WriteBytes(timed, kTimedTrace);
    WriteBytes(untimed, kUntimedTrace);
    CVelquorView* view = OpenAndWait(*m_frame, {timed});
    return view != nullptr && OpenAndWait(*m_frame, {untimed}) != nullptr ? view : nullptr;
}

void TstResponseTimeDock::ShowDock() {
    QAction* toggle = m_frame->Commands().m_actViewResponseTime;
    QVERIFY(!toggle->isChecked());
    QVERIFY(m_frame->ResponseTimeBar().isHidden());
    toggle->trigger();
    QVERIFY(toggle->isChecked());
    QTRY_VERIFY(Dock().isVisible());
    QCOMPARE(m_frame->dockWidgetArea(&m_frame->ResponseTimeBar()), Qt::RightDockWidgetArea);
}

void TstResponseTimeDock::DoubleClick(QAbstractItemView& view, const QModelIndex& index) {
    view.scrollTo(index);
    const QPoint at = view.visualRect(index).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
}

QString TstResponseTimeDock::GroupSql(int row, CSqlGroupPane& groups) {
    return groups.model()->index(row, CSqlGroupColumns::kSqlColumn).data().toString();
}

void TstResponseTimeDock::dockShowsTheWindowInFrontAndFindsItsStatements() {
    CVelquorView* view = OpenTimedThenUntimed();
    QVERIFY(view != nullptr);
    ShowDock();
    CProfilePane& profile = Dock().Profile();
    QAbstractItemModelTester profileTester(&profile.Model(),
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTRY_COMPARE(profile.Duration().text(), QStringLiteral("R: none, a trace has no tim values"));

    m_frame->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    QTRY_COMPARE(profile.Duration().text(),
                 QStringLiteral("R = 0.513000 s, of which idle waits 0.500000 s"));
    QAbstractItemModel& table = profile.Model();
    QCOMPARE(table.index(0, 0).data().toString(),
             QStringLiteral("SQL*Net message from client (idle)"));
    QVERIFY(table.index(0, 0).data(Qt::ForegroundRole).isValid()); // greyed
    QVERIFY(!table.index(1, 0).data(Qt::ForegroundRole).isValid());
    double sum = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        sum += table.index(row, 1).data().toString().toDouble();
    }
    QCOMPARE(sum, 0.513);
    profile.ExcludeIdleBox().click();
    QCOMPARE(profile.Duration().text(),
             QStringLiteral("R = 0.013000 s without 0.500000 s of idle waits"));
    QVERIFY(table
                .match(table.index(0, 0), Qt::DisplayRole, QStringLiteral("SQL*Net"), 1,
                       Qt::MatchStartsWith)
                .isEmpty());

    Dock().Tabs().setCurrentIndex(CResponseTimeDock::GroupsTab);
    CSqlGroupPane& groups = Dock().Groups();
    QAbstractItemModelTester groupsTester(groups.model(),
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTRY_COMPARE(groups.model()->rowCount(), 2);
    QCOMPARE(GroupSql(0, groups), QStringLiteral("select * from orders"));
    DoubleClick(groups, groups.model()->index(0, 0));
    QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), 0);
    QCOMPARE(m_frame->DetailDlg().EditBox().toPlainText(),
             QStringLiteral("select * from orders\n"));

    Dock().Tabs().setCurrentIndex(CResponseTimeDock::TreeTab);
    CCallTreePane& tree = Dock().Tree();
    QAbstractItemModelTester treeTester(tree.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTRY_COMPARE(tree.model()->rowCount(), 2);
    const QModelIndex top = tree.model()->index(0, 0);
    tree.expand(top);
    const QModelIndex child = tree.model()->index(0, 0, top);
    QCOMPARE(child.data().toString(), QStringLiteral("select obj# from x"));
    DoubleClick(tree, child);
    QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), 1);
    QCOMPARE(m_frame->DetailDlg().EditBox().toPlainText(), QStringLiteral("select obj# from x\n"));

    m_frame->MdiArea().closeAllSubWindows();
    QTRY_COMPARE(tree.model()->rowCount(), 0);
    QCOMPARE(groups.model()->rowCount(), 0);
    QCOMPARE(profile.Model().rowCount(), 0);
}

// The SQL groups are made on a worker thread; when the user brings another window to the front
// meanwhile, the groups of the window left are not shown for it, even for a moment.
void TstResponseTimeDock::groupsOfAWindowLeftWhileTheyAreMadeAreNotShown() {
    CVelquorView* view = OpenTimedThenUntimed();
    QVERIFY(view != nullptr);
    ShowDock();
    CSqlGroupPane& groups = Dock().Groups();
    QList<int> shown;
    const QObject listening; // ends the connection with the test
    connect(groups.model(), &QAbstractItemModel::modelReset, &listening,
            [&] { shown.append(groups.model()->rowCount()); });

    Dock().Tabs().setCurrentIndex(CResponseTimeDock::GroupsTab); // the untimed trace's group
    m_frame->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    QTRY_COMPARE(groups.model()->rowCount(), 2);
    QTest::qWait(100);
    QCOMPARE(groups.model()->rowCount(), 2);
    QVERIFY(!shown.contains(1));
}

// Other work on the records (a save) that starts after the dock's own: the end of the dock's
// work is shown at once, a tab asked for meanwhile waits for the other work's end without
// holding the window, and the tab switch that asks for it returns at once.
void TstResponseTimeDock::otherWorkOnTheRecordsNeverHoldsTheWindow() {
    CVelquorView* view = OpenTimedThenUntimed();
    QVERIFY(view != nullptr);
    m_frame->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    ShowDock();
    CVelquorDoc& doc = view->Document();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    Dock().Tabs().setCurrentIndex(CResponseTimeDock::GroupsTab); // the dock's own work
    doc.WorkOnRecords([released] { released.wait(); });          // waits for the dock's first
    std::thread releaser([&release] {
        std::this_thread::sleep_for(2s);
        release.set_value();
    });
    QElapsedTimer held;
    held.start();
    QTRY_COMPARE_WITH_TIMEOUT(Dock().Groups().model()->rowCount(), 2, 1000);
    Dock().Tabs().setCurrentIndex(CResponseTimeDock::TreeTab);
    QCoreApplication::processEvents();
    const qint64 answered = held.elapsed();
    const int treeRows = Dock().Tree().model()->rowCount();
    releaser.join();
    QVERIFY2(answered < 1000, qPrintable(QStringLiteral("held %1 ms").arg(answered)));
    QCOMPARE(treeRows, 0);
    QTRY_VERIFY_WITH_TIMEOUT(Dock().Tree().model()->rowCount() > 0, kWaitMs);
}

void TstResponseTimeDock::liveReadsKeepTheChosenGroupAndOrder() {
    CRefreshWorker::SetPeriod(100ms);
    CVelquorView* view = m_frame->FrontWindow().Open(
        COpenRequest::LiveTrace("live", QFile::encodeName(m_dir->path()).toStdString(), true, {}));
    QVERIFY(view != nullptr);
    ShowDock();
    Dock().Tabs().setCurrentIndex(CResponseTimeDock::GroupsTab);
    CSqlGroupPane& groups = Dock().Groups();
    const auto append = [this](int first, int count) {
        std::string blocks;
        for (int i = first; i < first + count; ++i) {
            std::string block =
                CursorBlock(i, 5, 3, "select " + std::to_string(i) + " from dual", i * 10);
            const std::string id = "sqlid='x'"; // one group per statement
            block.replace(block.find(id), id.size(), "sqlid='s" + std::to_string(i) + "'");
            blocks += block;
        }
        QFile file(m_dir->filePath(QStringLiteral("live_ora_9.trc")));
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(blocks.data(), static_cast<qint64>(blocks.size())),
                 static_cast<qint64>(blocks.size()));
    };
    QTest::qWait(300); // the first read: what is written from now on is listed
    append(1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(view->Model().rowCount(), 3, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(groups.model()->rowCount(), 3, kWaitMs);
    groups.sortByColumn(CSqlGroupColumns::kSqlColumn, Qt::DescendingOrder);
    groups.selectRow(1);
    QCOMPARE(GroupSql(1, groups), QStringLiteral("select 2 from dual"));

    append(4, 2);
    QTRY_COMPARE_WITH_TIMEOUT(groups.model()->rowCount(), 5, kWaitMs);
    QCOMPARE(groups.horizontalHeader()->sortIndicatorSection(), CSqlGroupColumns::kSqlColumn);
    QCOMPARE(groups.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(GroupSql(row, groups), QStringLiteral("select %1 from dual").arg(5 - row));
    }
    QCOMPARE(groups.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(groups.selectionModel()->selectedRows().front().row(), 3); // with its group
}

void TstResponseTimeDock::shownDockIsShownAgainAtTheNextStart() {
    ShowDock();
    QVERIFY(m_frame->close());
    QVERIFY(ShowMainFrame(m_frame));
    QTRY_VERIFY(Dock().isVisible());
    QVERIFY(m_frame->Commands().m_actViewResponseTime->isChecked());
    m_frame->Commands().m_actViewResponseTime->trigger(); // hidden for the next test
    QVERIFY(m_frame->close());
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // no profile of the user's is read or written
    CVelquorApp app(argc, argv);
    TstResponseTimeDock test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_responsetimedock.moc"
