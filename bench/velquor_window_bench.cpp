// Benchmark of the window on the 1 GiB generated trace: how long a file-mode window takes to
// list every statement, against velquor-cli list on the same file in the same run; how soon
// its first rows show; the memory the process gives back when the window closes; and how
// long the Response Time dock takes to show the SQL groups and the call tree after the read,
// and Save to write every block of the list sorted by elapsed time, each with the longest the
// window goes without answering meanwhile.

#include "CBenchFiles.h"
#include "CCallTreePane.h"
#include "CChildFrame.h"
#include "CFileDialogs.h"
#include "CFrontWindow.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenRequest.h"
#include "CResponseTimeDock.h"
#include "CSqlGroupPane.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::int64_t kGiB = 1LL << 30;
constexpr std::uint64_t kSeed = 42;

double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// velquor-cli list with its output thrown away, as the analysis benchmark runs it.
double CliSeconds(const std::string& trace) {
    const char* argv[] = {VELQUOR_CLI_PATH, "list", "--format", "tsv", trace.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

struct CWindowRun {
    double seconds = 0;
    double firstRowsSeconds = -1;
    double loadedMiB = 0;
    double closedMiB = 0;
    std::int64_t rows = 0;
};

CWindowRun OpenAndClose(CMainFrame& frame, const std::string& trace) {
    CWindowRun run;
    QElapsedTimer timer;
    timer.start();
    CVelquorView* view = frame.FrontWindow().Open(COpenRequest::TraceFiles({trace}, true));
    QObject::connect(&view->Model(), &QAbstractItemModel::rowsInserted, view, [&] {
        if (run.firstRowsSeconds < 0) {
            run.firstRowsSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        }
    });
    if (!QTest::qWaitFor([&] { return !view->IsReading(); }, 600000)) {
        std::fprintf(stderr, "the window did not finish reading\n");
        std::exit(1);
    }
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.rows = view->Model().rowCount();
    run.loadedMiB = ResidentMiB();
    QPointer<QMdiSubWindow> window = frame.MdiArea().currentSubWindow();
    window->close();
    if (!QTest::qWaitFor([&] { return window.isNull(); }, 60000)) {
        std::fprintf(stderr, "the window did not close\n");
        std::exit(1);
    }
    run.closedMiB = ResidentMiB();
    return run;
}

struct CStallRun {
    double seconds = 0;
    double longestStallMs = 0;
};

// Calls `start` and waits for `done`: how long that takes, and the longest the event loop went
// meanwhile without running a timer due every millisecond.
CStallRun MeasureStalls(const std::function<void()>& start, const std::function<bool()>& done) {
    CStallRun run;
    QElapsedTimer total;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    const auto tick = [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed());
        sinceTick.start();
    };
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, tick);
    ticker.start();
    total.start();
    sinceTick.start();
    start();
    tick();
    if (!QTest::qWaitFor(done, 600000)) {
        std::fprintf(stderr, "the window did not finish its work\n");
        std::exit(1);
    }
    tick();
    run.seconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    run.longestStallMs = static_cast<double>(longest) / 1e6;
    return run;
}

CVelquorView* OpenAndWait(CMainFrame& frame, const std::string& trace) {
    CVelquorView* view = frame.FrontWindow().Open(COpenRequest::TraceFiles({trace}, true));
    if (!QTest::qWaitFor([&] { return !view->IsReading(); }, 600000)) {
        std::fprintf(stderr, "the window did not finish reading\n");
        std::exit(1);
    }
    return view;
}

// Opens the trace, shows the dock on its profile, then its SQL groups and its call tree.
void MeasureDock(CMainFrame& frame, const std::string& trace) {
    OpenAndWait(frame, trace);
    CResponseTimeDock& dock = frame.ResponseTimeDock();
    frame.Commands().m_actViewResponseTime->trigger();
    if (!QTest::qWaitFor([&] { return dock.isVisible(); }, 10000)) {
        std::fprintf(stderr, "the dock did not show\n");
        std::exit(1);
    }
    QTest::qWait(100);
    const CStallRun groups =
        MeasureStalls([&] { dock.Tabs().setCurrentIndex(CResponseTimeDock::GroupsTab); },
                      [&] { return dock.Groups().model()->rowCount() > 0; });
    const CStallRun tree =
        MeasureStalls([&] { dock.Tabs().setCurrentIndex(CResponseTimeDock::TreeTab); },
                      [&] { return dock.Tree().model()->rowCount() > 0; });
    std::printf("%-28s %10s %16s\n", "dock after the read", "shown_s", "longest_stall_ms");
    std::printf("%-28s %10.3f %16.1f\n", "SQL groups", groups.seconds, groups.longestStallMs);
    std::printf("%-28s %10.3f %16.1f\n", "call tree", tree.seconds, tree.longestStallMs);
    frame.MdiArea().closeAllSubWindows();
}

// Sorts the list by elapsed time and saves every block as a trace file: how long the save
// takes, and the longest the window goes without answering meanwhile.
void MeasureSave(CMainFrame& frame, const std::string& trace, const QString& target) {
    constexpr int kElapsedColumn = 7;
    CVelquorView* view = OpenAndWait(frame, trace);
    view->OnColumnClick(kElapsedColumn);
    QFile::remove(target);
    CFileDialogs::SetSaveChooser([&] {
        return CFileDialogs::SaveChoice{target, CFileDialogs::kTraceFilter};
    });
    const CStallRun save = MeasureStalls(
        [&] { frame.Commands().m_actSaveStatements->trigger(); },
        [&] { return QFileInfo::exists(target) && QGuiApplication::overrideCursor() == nullptr; });
    std::printf("%-28s %10s %16s %12s\n", "save sorted by elapsed", "saved_s", "longest_stall_ms",
                "file_MiB");
    std::printf("%-28s %10.3f %16.1f %12.0f\n", "every block as .trc", save.seconds,
                save.longestStallMs, static_cast<double>(QFileInfo(target).size()) / (1 << 20));
    QFile::remove(target);
    frame.MdiArea().closeAllSubWindows();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    CVelquorApp app(argc, argv);
    const CBenchFiles files(VELQUOR_BENCH_CACHE);
    const std::string trace = files.Trace(kGiB, kSeed);
    CliSeconds(trace); // the file into the page cache
    CMainFrame frame(app.Catalog());
    frame.show();
    const double startMiB = ResidentMiB();
    std::printf("%-28s %10s %10s %12s %10s %12s %12s\n", "run", "window_s", "cli_s",
                "window_vs_cli", "first_rows_s", "loaded_MiB", "closed_MiB");
    for (int i = 1; i <= 3; ++i) {
        const double cli = CliSeconds(trace);
        const CWindowRun run = OpenAndClose(frame, trace);
        std::printf("%-28s %10.3f %10.3f %12.2f %10.3f %12.0f %12.0f\n",
                    ("open 1 GiB, run " + std::to_string(i)).c_str(), run.seconds, cli,
                    run.seconds / cli, run.firstRowsSeconds, run.loadedMiB, run.closedMiB);
    }
    std::printf("resident before the first window: %.0f MiB\n", startMiB);
    MeasureDock(frame, trace);
    MeasureSave(frame, trace, QString::fromStdString(trace + ".saved.trc"));
    return 0;
}
