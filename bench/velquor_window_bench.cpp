// Benchmark of the window on the 1 GiB generated trace: how long a file-mode window takes to
// list every statement, against velquor-cli list on the same file in the same run; how soon
// its first rows show; and the memory the process gives back when the window closes.

#include "CBenchFiles.h"
#include "CChildFrame.h"
#include "CMainFrame.h"
#include "COpenRequest.h"
#include "CVelquorApp.h"
#include "CVelquorView.h"

#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
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
    return 0;
}
