#include "CBoxCatcher.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenCommands.h"
#include "COpenRequest.h"
#include "CRefreshWorker.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"
#include "UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

// Live windows over a temporary folder that a writer changes while the worker follows it.
class TstLiveMode : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void onlyWhatIsWrittenAfterTheStartIsListed();
    void writerThreadLosesNothingAndRepeatsNothing();
    void clearDropsOldRowsForGood();
    void stoppedWindowCatchesUpOnStart();
    void sortIsRefusedWhileRunningAndAcceptedAfterStop();
    void closingDuringAReadIsClean();
    void readErrorIsToldOnceOverItsRowsAndGoesWithTheWindow();
    void missingFolderIsShownInTheStatusBarWhileItLasts();

private:
    CVelquorView* OpenLive();
    void Append(const QString& name, const std::string& bytes);
    QStringList ListedSqls(CVelquorView* view);
    QString StatusText() const;
    static std::string Blocks(const QString& prefix, int first, int count);
    static QStringList Names(const QString& prefix, int first, int count);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CMainFrame> m_frame;
};

namespace {
constexpr auto kPeriod = 100ms;
constexpr int kWaitMs = 5000;
} // namespace

void TstLiveMode::initTestCase() {
    CRefreshWorker::SetPeriod(kPeriod);
}

void TstLiveMode::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(ShowMainFrame(m_frame));
}

void TstLiveMode::cleanup() {
    m_frame.reset();
    m_dir.reset();
}

CVelquorView* TstLiveMode::OpenLive() {
    return m_frame->FrontWindow().Open(
        COpenRequest::LiveTrace("live", QFile::encodeName(m_dir->path()).toStdString(), true, {}));
}

void TstLiveMode::Append(const QString& name, const std::string& bytes) {
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
             static_cast<qint64>(bytes.size()));
}

std::string TstLiveMode::Blocks(const QString& prefix, int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        text += CursorBlock(i, 5, 3, prefix.toStdString() + std::to_string(i));
    }
    return text;
}

QStringList TstLiveMode::Names(const QString& prefix, int first, int count) {
    QStringList names;
    for (int i = first; i < first + count; ++i) {
        names << prefix + QString::number(i);
    }
    return names;
}

QStringList TstLiveMode::ListedSqls(CVelquorView* view) {
    QStringList sqls;
    for (int row = 0; row < view->Model().rowCount(); ++row) {
        sqls << view->Model().index(row, 3).data().toString();
    }
    sqls.sort();
    return sqls;
}

void TstLiveMode::onlyWhatIsWrittenAfterTheStartIsListed() {
    Append(QStringLiteral("old_ora_1.trc"), Blocks(QStringLiteral("old "), 1, 3));
    CVelquorView* view = OpenLive();
    QVERIFY(view->IsLiveMode());
    QVERIFY(view->IsRunning());
    QVERIFY(!m_frame->Commands().m_actRefreshStart->isEnabled());
    QVERIFY(m_frame->Commands().m_actRefreshStop->isEnabled());
    QCOMPARE(m_frame->TabCtrl()->GetTabText(0), QStringLiteral("live"));
    QTest::qWait(4 * kPeriod.count()); // a few reads: the old statements are not listed
    QCOMPARE(view->Model().rowCount(), 0);

    QElapsedTimer clock;
    clock.start();
    Append(QStringLiteral("old_ora_1.trc"), Blocks(QStringLiteral("new "), 1, 2));
    Append(QStringLiteral("fresh_ora_2.trc"), Blocks(QStringLiteral("fresh "), 1, 2));
    QTRY_COMPARE_WITH_TIMEOUT(view->Model().rowCount(), 4, kWaitMs);
    QVERIFY(clock.elapsed() < kWaitMs);
    QStringList expected =
        Names(QStringLiteral("new "), 1, 2) + Names(QStringLiteral("fresh "), 1, 2);
    expected.sort();
    QCOMPARE(ListedSqls(view), expected);
}

void TstLiveMode::writerThreadLosesNothingAndRepeatsNothing() {
    Append(QStringLiteral("grow_ora_1.trc"), Blocks(QStringLiteral("before "), 1, 2));
    Append(QStringLiteral("swap_ora_2.trc"), Blocks(QStringLiteral("swapped out "), 1, 2));
    CVelquorView* view = OpenLive();
    QTest::qWait(3 * kPeriod.count());

    const QString folder = m_dir->path();
    std::atomic<bool> done = false;
    std::thread writer([&] {
        const auto write = [&](const QString& name, const std::string& bytes) {
            QFile file(folder + QLatin1Char('/') + name);
            if (file.open(QIODevice::Append)) {
                file.write(bytes.data(), static_cast<qint64>(bytes.size()));
            }
        };
        for (int i = 1; i <= 12; ++i) {
            const std::string block = CursorBlock(i, 5, 3, "grown " + std::to_string(i));
            const std::size_t half = block.size() / 2 + 3; // stops in the middle of a line
            write(QStringLiteral("grow_ora_1.trc"), block.substr(0, half));
            std::this_thread::sleep_for(kPeriod + 30ms);
            write(QStringLiteral("grow_ora_1.trc"), block.substr(half));
            if (i % 4 == 0) {
                write(QStringLiteral("made_ora_3.trc"), Blocks(QStringLiteral("made "), i, 2));
            }
        }
        // Replaced: a new file renamed over the old one is read from its start.
        const std::string replacement = Blocks(QStringLiteral("swapped in "), 1, 3);
        QFile next(folder + QStringLiteral("/swap.tmp"));
        if (next.open(QIODevice::WriteOnly)) {
            next.write(replacement.data(), static_cast<qint64>(replacement.size()));
            next.close();
            std::rename(QFile::encodeName(next.fileName()).constData(),
                        QFile::encodeName(folder + QStringLiteral("/swap_ora_2.trc")).constData());
        }
        done = true;
    });
    QStringList expected =
        Names(QStringLiteral("grown "), 1, 12) + Names(QStringLiteral("swapped in "), 1, 3);
    for (int i = 4; i <= 12; i += 4) {
        expected += Names(QStringLiteral("made "), i, 2);
    }
    expected.sort();
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    writer.join();
    QTRY_COMPARE_WITH_TIMEOUT(ListedSqls(view), expected, kWaitMs);
    QTest::qWait(5 * kPeriod.count());
    QCOMPARE(ListedSqls(view), expected); // nothing comes twice
}

void TstLiveMode::clearDropsOldRowsForGood() {
    CVelquorView* view = OpenLive();
    QAbstractItemModelTester tester(&view->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTest::qWait(2 * kPeriod.count());
    Append(QStringLiteral("a_ora_1.trc"), Blocks(QStringLiteral("first "), 1, 3));
    QTRY_COMPARE_WITH_TIMEOUT(view->Model().rowCount(), 3, kWaitMs);
    view->selectRow(0);
    QVERIFY(!m_frame->DetailDlg().GetText(0).empty());
    m_frame->Commands().m_actClear->trigger();
    QCOMPARE(view->Model().rowCount(), 0);
    QCOMPARE(view->Analyzer().GetCount(), 0);
    QVERIFY(m_frame->DetailDlg().GetText(0).empty());
    QVERIFY(view->IsRunning());
    QTest::qWait(4 * kPeriod.count());
    QCOMPARE(view->Model().rowCount(), 0);
    Append(QStringLiteral("a_ora_1.trc"), Blocks(QStringLiteral("second "), 1, 2));
    QTRY_COMPARE_WITH_TIMEOUT(ListedSqls(view), Names(QStringLiteral("second "), 1, 2), kWaitMs);
}

void TstLiveMode::stoppedWindowCatchesUpOnStart() {
    CVelquorView* view = OpenLive();
    QTest::qWait(2 * kPeriod.count());
    m_frame->Commands().m_actRefreshStop->trigger();
    QVERIFY(!view->IsRunning());
    QVERIFY(m_frame->Commands().m_actRefreshStart->isEnabled());
    QVERIFY(!m_frame->Commands().m_actRefreshStop->isEnabled());
    Append(QStringLiteral("s_ora_1.trc"), Blocks(QStringLiteral("while stopped "), 1, 3));
    QTest::qWait(4 * kPeriod.count());
    QCOMPARE(view->Model().rowCount(), 0);
    m_frame->Commands().m_actRefreshStart->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(ListedSqls(view), Names(QStringLiteral("while stopped "), 1, 3),
                              kWaitMs);
    QTest::qWait(3 * kPeriod.count());
    QCOMPARE(view->Model().rowCount(), 3);
}

void TstLiveMode::sortIsRefusedWhileRunningAndAcceptedAfterStop() {
    CVelquorView* view = OpenLive();
    QTest::qWait(2 * kPeriod.count());
    Append(QStringLiteral("s_ora_1.trc"), Blocks(QStringLiteral("x "), 1, 3));
    QTRY_COMPARE_WITH_TIMEOUT(view->Model().rowCount(), 3, kWaitMs);
    view->OnColumnClick(3);
    QCOMPARE(view->GetSortColumn(), -1);
    QCOMPARE(view->Model().index(0, 3).data().toString(), QStringLiteral("x 1"));
    m_frame->Commands().m_actRefreshStop->trigger();
    view->OnColumnClick(3);
    QCOMPARE(view->GetSortColumn(), 3);
    QCOMPARE(view->Model().index(0, 3).data().toString(), QStringLiteral("x 3"));
}

void TstLiveMode::closingDuringAReadIsClean() {
    CVelquorView* view = OpenLive();
    QTest::qWait(2 * kPeriod.count());
    std::string big;
    for (int i = 0; big.size() < 30u * 1024 * 1024; ++i) {
        big += CursorBlock(i, 5, 3, "select " + std::to_string(i));
    }
    Append(QStringLiteral("big_ora_1.trc"), big);
    QTest::qWait(static_cast<int>(kPeriod.count()) + 20); // the worker is reading it now
    QElapsedTimer clock;
    clock.start();
    delete view->parentWidget();
    QVERIFY(m_frame->MdiArea().subWindowList().isEmpty());
    QCOMPARE(m_frame->TabCtrl()->GetItemCount(), 0);
    QVERIFY(m_frame->DialogBar().isHidden());
    qInfo() << "closed in" << clock.elapsed() << "ms";

    // A window closed while its worker waits for the next period ends at once.
    CRefreshWorker::SetPeriod(3000ms);
    CVelquorView* waiting = OpenLive();
    QTest::qWait(50);
    clock.restart();
    delete waiting->parentWidget();
    QVERIFY(clock.elapsed() < 1000);
    CRefreshWorker::SetPeriod(kPeriod);
}

void TstLiveMode::readErrorIsToldOnceOverItsRowsAndGoesWithTheWindow() {
    // A file that cannot be read: one box tells it once the rows that could be read are
    // listed behind it.
    const QString missing = m_dir->filePath(QStringLiteral("gone_ora_1.trc"));
    const QString present = m_dir->filePath(QStringLiteral("here_ora_2.trc"));
    WriteBytes(present, Blocks(QStringLiteral("here "), 1, 2));
    {
        CBoxCatcher boxes(false);
        m_frame->OpenCommands().OpenTracePaths({missing, present}, true);
        CVelquorView* view = m_frame->ActiveView();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Boxes().size(), 1, kWaitMs);
        QCOMPARE(boxes.Boxes().constFirst(),
                 QStringLiteral("Velquor: wrong at get filestatus\n\nThe window lists the 2 "
                                "statements that could be read."));
        QVERIFY(!view->IsReading());
        QCOMPARE(view->Model().rowCount(), 2);
        boxes.SetAnswering(true);
        const auto boxShown = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget* widget) {
                return qobject_cast<const QMessageBox*>(widget) != nullptr && widget->isVisible();
            });
        };
        QTRY_VERIFY(!boxShown());
    }
    {
        CBoxCatcher boxes(false);
        m_frame->OpenCommands().OpenTracePaths({missing, present}, true);
        CVelquorView* view = m_frame->ActiveView();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Boxes().size(), 1, kWaitMs);
        delete view->parentWidget(); // closes with the box open: no wait on the worker's box
        QTest::qWait(50);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(qobject_cast<QMessageBox*>(widget) == nullptr || !widget->isVisible());
        }
    }
}

// What the status bar shows: its message, or else its visible texts.
QString TstLiveMode::StatusText() const {
    QStringList texts{m_frame->StatusBar().currentMessage()};
    for (const QLabel* label : m_frame->StatusBar().findChildren<QLabel*>()) {
        if (label->isVisible()) {
            texts << label->text();
        }
    }
    return texts.join(u'|');
}

void TstLiveMode::missingFolderIsShownInTheStatusBarWhileItLasts() {
    const QString folder = m_dir->filePath(QStringLiteral("later"));
    const QString missing = QStringLiteral("Trace folder unavailable, waiting for it: ") + folder +
                            QStringLiteral(": No such file or directory");
    const QString back = QStringLiteral("Trace folder available, following it: ") + folder;
    CVelquorView* view = m_frame->FrontWindow().Open(
        COpenRequest::LiveTrace("later", QFile::encodeName(folder).toStdString(), true, {}));
    QTRY_VERIFY_WITH_TIMEOUT(StatusText().contains(missing), kWaitMs);
    QTest::qWait(4 * kPeriod.count());
    QVERIFY2(StatusText().contains(missing), "shown while it lasts");

    // Another window in front shows its own state, and this one's comes back with it.
    CVelquorView* other = OpenLive();
    QVERIFY(!StatusText().contains(missing));
    m_frame->MdiArea().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    QVERIFY(StatusText().contains(missing));

    QVERIFY(QDir().mkdir(folder));
    WriteBytes(folder + QStringLiteral("/new_ora_1.trc"), Blocks(QStringLiteral("new "), 1, 2));
    QTRY_VERIFY_WITH_TIMEOUT(StatusText().contains(back), kWaitMs);
    QVERIFY(!StatusText().contains(missing));
    QTRY_COMPARE_WITH_TIMEOUT(ListedSqls(view), Names(QStringLiteral("new "), 1, 2), kWaitMs);

    // Deleted while followed, then made again.
    QVERIFY(QDir(folder).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(StatusText().contains(missing), kWaitMs);
    QVERIFY(QDir().mkdir(folder));
    QTRY_VERIFY_WITH_TIMEOUT(StatusText().contains(back), kWaitMs);
    QCOMPARE(view->Model().rowCount(), 2);
    QCOMPARE(other->Model().rowCount(), 0);
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // no profile of the user's is read or written
    CVelquorApp app(argc, argv);
    TstLiveMode test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_livemode.moc"
