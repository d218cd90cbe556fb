#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenCommands.h"
#include "CRefreshWorker.h"
#include "CTraceAdminDlg.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

class TstShell : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void commandLineOpensNoWindow();
    void droppedTraceFilesOpenOneWindow();
    void dropWithoutTraceFilesOpensNothing();
    void snifferFollowsTheChosenTraceWithItsFilters();
    void selectedTabFollowsTheWindowInFront();

private:
    std::unique_ptr<CMainFrame> m_frame;
    QTemporaryDir m_folder;
};

void TstShell::init() {
    QVERIFY(ShowMainFrame(m_frame));
}

void TstShell::cleanup() {
    m_frame.reset();
}

// The program is started with a trace file named on its command line (see main below).
void TstShell::commandLineOpensNoWindow() {
    QCOMPARE(QCoreApplication::arguments().size(), 2);
    QApplication::processEvents();
    QVERIFY(m_frame->MdiArea().subWindowList().isEmpty());
    QVERIFY(m_frame->DialogBar().isHidden());
}

void TstShell::droppedTraceFilesOpenOneWindow() {
    const QString first = m_folder.filePath(QStringLiteral("db_ora_11.trc"));
    const QString second = m_folder.filePath(QStringLiteral("db_ora_22.TRC"));
    WriteBytes(first, CursorBlock(1, 5, 3, "select 1 from dual"));
    WriteBytes(second, CursorBlock(2, 0, 3, "select 2 from dual"));
    const QString other = m_folder.filePath(QStringLiteral("notes.txt"));
    WriteBytes(other, "not a trace\n");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(second), QUrl::fromLocalFile(other), QUrl::fromLocalFile(first)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &drop);

    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    CVelquorView* view = m_frame->ActiveView();
    QVERIFY(view != nullptr);
    QCOMPARE(m_frame->MdiArea().currentSubWindow()->windowTitle(),
             QStringLiteral("db_ora_22;db_ora_11;"));
    QTRY_COMPARE(view->Model().rowCount(), 2); // SYS statements shown, as Open[Show Sys]
}

void TstShell::dropWithoutTraceFilesOpensNothing() {
    const QString other = m_folder.filePath(QStringLiteral("notes.txt"));
    WriteBytes(other, "not a trace\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(other)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &drop);
    QVERIFY(m_frame->MdiArea().subWindowList().isEmpty());
}

// Sniffer: the stored trace is picked in "Oracle Trace Admin" and run; its window lists what
// is written to its folder afterwards, without SYS statements and without the hidden type.
void TstShell::snifferFollowsTheChosenTraceWithItsFilters() {
    using namespace std::chrono_literals;
    CRefreshWorker::SetPeriod(50ms);
    std::string flags(144, '1');
    flags[62] = '0'; // "INSERT"
    const std::string folder = m_folder.path().toStdString();
    const QString list = QCoreApplication::applicationDirPath() + QStringLiteral("/trace.list");
    WriteBytes(list, "TRACENAME=other\tTRACEPATH=/nowhere\tSYS=1\tOCTCHECK=\t\r\r\n"
                     "TRACENAME=prod\tTRACEPATH=" +
                         folder + "\tSYS=0\tOCTCHECK=" + flags + "\t\r\r\n");
    QTimer::singleShot(0, [] {
        auto* admin = qobject_cast<CTraceAdminDlg*>(QApplication::activeModalWidget());
        QVERIFY(admin != nullptr);
        auto* traces = admin->findChild<QTreeWidget*>(QStringLiteral("m_listTraces"));
        traces->setCurrentItem(traces->topLevelItem(1));
        admin->findChild<QPushButton*>(QStringLiteral("m_btnRun"))->click();
    });
    m_frame->Commands().m_actFileNew->trigger();
    QFile::remove(list);

    QCOMPARE(m_frame->MdiArea().subWindowList().size(), 1);
    QCOMPARE(m_frame->MdiArea().currentSubWindow()->windowTitle(), QStringLiteral("prod"));
    CVelquorView* view = m_frame->ActiveView();
    QVERIFY(view->IsRunning());
    QTest::qWait(200); // the first read follows the folder from its current end
    WriteBytes(m_folder.filePath(QStringLiteral("prod_ora_7.trc")),
               CursorBlock(1, 5, 3, "select visible") + CursorBlock(2, 0, 3, "select of sys") +
                   CursorBlock(3, 5, 2, "insert hidden") + CursorBlock(4, 5, 6, "update visible"));
    QTRY_COMPARE(view->Model().rowCount(), 2);
    QCOMPARE(view->Analyzer().Sql(view->Analyzer().GetRecord(0)), "select visible\r\n");
    QCOMPARE(view->Analyzer().Sql(view->Analyzer().GetRecord(1)), "update visible\r\n");
    CRefreshWorker::SetPeriod(kLiveRefreshPeriod);
}

void TstShell::selectedTabFollowsTheWindowInFront() {
    const QString first = m_folder.filePath(QStringLiteral("a_ora_1.trc"));
    const QString second = m_folder.filePath(QStringLiteral("b_ora_2.trc"));
    WriteBytes(first, CursorBlock(1, 5, 3, "select 1 from dual"));
    WriteBytes(second, CursorBlock(1, 5, 3, "select 2 from dual"));
    m_frame->OpenCommands().OpenTracePaths({first}, true);
    m_frame->OpenCommands().OpenTracePaths({second}, true);
    QCOMPARE(m_frame->TabCtrl()->GetItemCount(), 2);
    QCOMPARE(m_frame->TabCtrl()->GetCurSel(), 1);
    m_frame->MdiArea().setActiveSubWindow(m_frame->MdiArea().subWindowList().at(0));
    QCOMPARE(m_frame->TabCtrl()->GetCurSel(), 0);
    QCOMPARE(m_frame->TabCtrl()->GetTabView(0), m_frame->ActiveView());
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir folder;
    const QByteArray trace = folder.filePath(QStringLiteral("given_ora_1.trc")).toLocal8Bit();
    WriteBytes(QString::fromLocal8Bit(trace), CursorBlock(1, 5, 3, "select 1 from dual"));
    int programArgc = 2;
    char* programArgv[] = {argv[0], const_cast<char*>(trace.constData()), nullptr};
    CVelquorApp app(programArgc, programArgv);
    TstShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell.moc"
