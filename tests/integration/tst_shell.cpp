#include "CMainFrame.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
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

private:
    std::unique_ptr<CMainFrame> m_frame;
    QTemporaryDir m_folder;
};

void TstShell::init() {
    m_frame = std::make_unique<CMainFrame>();
    theApp.SetMainFrame(m_frame.get());
    m_frame->show();
}

void TstShell::cleanup() {
    theApp.SetMainFrame(nullptr);
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
