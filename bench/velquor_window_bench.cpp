// Benchmark of the window on the 1 GiB generated trace: how long a file-mode window takes to
// list every statement, against velquor-cli list on the same file in the same run; how soon
// its first rows show; the memory the process gives back when the window closes; and how
// long the Response Time dock takes to show the SQL groups and the call tree after the read,
// with the longest the window goes without answering meanwhile.

#include "CBenchFiles.h"
#include "CCallTreePane.h"
#include "CChildFrame.h"
#include "CMainCommands.h"
#include "CMainFrame.h"
#include "COpenRequest.h"
#include "CResponseTimeDock.h"
#include "CSqlGroupPane.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"

#include <QAction>
#include <QElapsedTimer>
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
    CVelquorView* view = frame.OpenWindow(COpenRequest::TraceFiles({trace}, true));
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

struct CDockRun {
    double seconds = 0;
    double longestStallMs = 0;
};

// Brings a tab of the dock into view and waits for `shown`: how long that takes, and the
// longest the event loop went meanwhile without running a timer due every millisecond.
CDockRun ShowTab(CResponseTimeDock& dock, int tab, const std::function<bool()>& shown) {
    CDockRun run;
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
    dock.Tabs().setCurrentIndex(tab);
    tick();
    if (!QTest::qWaitFor(shown, 600000)) {
        std::fprintf(stderr, "the dock did not show its figures\n");
        std::exit(1);
    }
    tick();
    run.seconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    run.longestStallMs = static_cast<double>(longest) / 1e6;
    return run;
}

// Opens the trace, shows the dock on its profile, then its SQL groups and its call tree.
void MeasureDock(CMainFrame& frame, const std::string& trace) {
    CVelquorView* view = frame.OpenWindow(COpenRequest::TraceFiles({trace}, true));
    if (!QTest::qWaitFor([&] { return !view->IsReading(); }, 600000)) {
        std::fprintf(stderr, "the window did not finish reading\n");
        std::exit(1);
    }
    CResponseTimeDock& dock = frame.ResponseTimeDock();
    frame.Commands().m_actViewResponseTime->trigger();
    if (!QTest::qWaitFor([&] { return dock.isVisible(); }, 10000)) {
        std::fprintf(stderr, "the dock did not show\n");
        std::exit(1);
    }
    QTest::qWait(100);
    const CDockRun groups = ShowTab(dock, CResponseTimeDock::GroupsTab,
                                    [&] { return dock.Groups().model()->rowCount() > 0; });
    const CDockRun tree = ShowTab(dock, CResponseTimeDock::TreeTab,
                                  [&] { return dock.Tree().model()->rowCount() > 0; });
    std::printf("%-28s %10s %16s\n", "dock after the read", "shown_s", "longest_stall_ms");
    std::printf("%-28s %10.3f %16.1f\n", "SQL groups", groups.seconds, groups.longestStallMs);
    std::printf("%-28s %10.3f %16.1f\n", "call tree", tree.seconds, tree.longestStallMs);
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
    CMainFrame frame;
    theApp.SetMainFrame(&frame);
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
    return 0;
}
