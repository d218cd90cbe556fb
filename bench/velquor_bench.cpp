// Benchmarks of the engine and the command-line tool on generated traces: file-mode analysis
// of 1 GiB against `wc -l` on the same file, the response-time profile, SQL groups and call
// tree of that analysis against the analysis itself, both against `wc -l` and a plain pass
// over the file run beside them, sorting 1,000,000 records, a live read of 1 MiB appended to
// a small and to a 1 GiB trace, the peak memory of a file-mode run, and the executions of the
// statement of the 1 GiB trace that ran most often, read back from the file.

#include "CBenchFiles.h"
#include "CCommandTypeCatalog.h"
#include "CCursorTracker.h"
#include "CExecutionReader.h"
#include "CLocalNetworkShares.h"
#include "CPlainPass.h"
#include "CPosixFileSystem.h"
#include "CStderrNotifier.h"
#include "CTraceAnalyzer.h"
#include "CTraceGenerator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr std::int64_t kGiB = 1LL << 30;
constexpr std::int64_t kMiB = 1LL << 20;
constexpr std::uint64_t kSeed = 42;
constexpr std::int64_t kSortRecords = 1000000;

const CBenchFiles& Files() {
    static const CBenchFiles files(VELQUOR_BENCH_CACHE);
    return files;
}

// Runs a program with its standard output on /dev/null; returns its resource usage.
rusage RunChild(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(argv[0] + " failed");
    }
    return usage;
}

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double WcSeconds(const std::string& path) {
    return SecondsOf([&] { RunChild({"/usr/bin/wc", "-l", path}); });
}

struct Engine {
    CCommandTypeCatalog catalog;
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CStderrNotifier notifier;

    std::unique_ptr<CTraceAnalyzer> MakeAnalyzer() {
        auto analyzer = std::make_unique<CTraceAnalyzer>(catalog, fileSystem, shares, notifier);
        analyzer->SetShowSys(1);
        return analyzer;
    }
};

// Peak memory of `velquor-cli list --format tsv` over the 1 GiB trace, measured in the child.
// Linux hands the spawning process's peak on to a child through exec, so this case runs
// first, while the benchmark process is small; `bench_process_MiB` shows that floor.
void BM_FileModePeakMemory(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    long maxRssKiB = 0;
    for (auto _ : state) {
        const rusage usage = RunChild({VELQUOR_CLI_PATH, "list", "--format", "tsv", trace});
        maxRssKiB = std::max(maxRssKiB, usage.ru_maxrss);
    }
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    const double peakBytes = static_cast<double>(maxRssKiB) * 1024.0;
    state.counters["peak_MiB"] = peakBytes / static_cast<double>(kMiB);
    state.counters["peak_vs_trace"] = peakBytes / static_cast<double>(CBenchFiles::FileSize(trace));
    state.counters["bench_process_MiB"] = static_cast<double>(self.ru_maxrss) / 1024.0;
}

void BM_WcLines(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    WcSeconds(trace); // brings the file into the page cache
    for (auto _ : state) {
        RunChild({"/usr/bin/wc", "-l", trace});
    }
    state.SetBytesProcessed(state.iterations() * CBenchFiles::FileSize(trace));
}

void BM_FileModeAnalysis(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    const double wcSeconds = std::min(WcSeconds(trace), WcSeconds(trace));
    Engine engine;
    double seconds = 0;
    std::int64_t records = 0;
    for (auto _ : state) {
        std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
        analyzer->SetPath(trace + "|");
        seconds += SecondsOf([&] { analyzer->ReadFileList(); });
        records = analyzer->GetCount();
        state.PauseTiming();
        analyzer.reset();
        state.ResumeTiming();
    }
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * CBenchFiles::FileSize(trace));
    state.counters["records"] = static_cast<double>(records);
    state.counters["wc_l_MBps"] =
        static_cast<double>(CBenchFiles::FileSize(trace)) / wcSeconds / 1e6;
    state.counters["speed_vs_wc_l"] = wcSeconds / perRun;
}

// The profile, the SQL groups and the call tree of a file-mode analysis of 1 GiB, made as the
// window makes them after a read; `views_vs_read` is their time as a share of the read's.
// `record_bytes` is the fixed size of a statement record (its texts, plan rows, waits and
// call-tree nodes come on top).
void BM_TimeViews(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    Engine engine;
    double readSeconds = 0;
    double viewSeconds = 0;
    double groupSeconds = 0;
    double treeSeconds = 0;
    std::size_t groups = 0;
    std::size_t roots = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
        analyzer->SetPath(trace + "|");
        readSeconds += SecondsOf([&] { analyzer->ReadFileList(); });
        state.ResumeTiming();
        viewSeconds += SecondsOf([&] {
            benchmark::DoNotOptimize(analyzer->Profile({}, std::nullopt, false));
            groupSeconds += SecondsOf([&] { groups = analyzer->SqlGroups(false).Size(); });
            treeSeconds += SecondsOf([&] { roots = analyzer->CallTree().size(); });
        });
        state.PauseTiming();
        analyzer.reset();
        state.ResumeTiming();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_ms"] = readSeconds / runs * 1000.0;
    state.counters["views_ms"] = viewSeconds / runs * 1000.0;
    state.counters["groups_ms"] = groupSeconds / runs * 1000.0;
    state.counters["tree_ms"] = treeSeconds / runs * 1000.0;
    state.counters["views_vs_read"] = viewSeconds / readSeconds;
    state.counters["groups"] = static_cast<double>(groups);
    state.counters["tree_roots"] = static_cast<double>(roots);
    state.counters["record_bytes"] = static_cast<double>(sizeof(CStatementRecord));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The speed goal in two figures: a file-mode analysis of 1 GiB, alone and with its profile,
// SQL groups and call tree, against `wc -l` on the same file run just before it. Each is the
// median of the iterations' ratios: a machine that slows down or speeds up for a while moves
// both sides of a ratio, where it would move one of two figures taken apart. The same against
// the plain pass: `wc -l` mostly measures the kernel's copy of the file, whose speed differs
// between machines apart from how fast they take a trace apart, so the ratios to the plain
// pass compare runs on different machines better.
void BM_GoalVsWcLines(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    Engine engine;
    WcSeconds(trace); // brings the file into the page cache
    const CPlainPass plainPass(trace);
    std::vector<double> wcTimes;
    std::vector<double> plainRatios;
    std::vector<double> readRatios;
    std::vector<double> wholeRatios;
    std::vector<double> readToPlain;
    std::vector<double> wholeToPlain;
    for (auto _ : state) {
        state.PauseTiming();
        const double wcSeconds = WcSeconds(trace);
        const double plainSeconds = SecondsOf([&] { benchmark::DoNotOptimize(plainPass.Run()); });
        std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
        analyzer->SetPath(trace + "|");
        state.ResumeTiming();
        const double readSeconds = SecondsOf([&] { analyzer->ReadFileList(); });
        const double viewSeconds = SecondsOf([&] {
            benchmark::DoNotOptimize(analyzer->Profile({}, std::nullopt, false));
            benchmark::DoNotOptimize(analyzer->SqlGroups(false).Size());
            benchmark::DoNotOptimize(analyzer->CallTree().size());
        });
        state.PauseTiming();
        analyzer.reset();
        state.ResumeTiming();
        wcTimes.push_back(wcSeconds);
        plainRatios.push_back(plainSeconds / wcSeconds);
        readRatios.push_back(readSeconds / wcSeconds);
        wholeRatios.push_back((readSeconds + viewSeconds) / wcSeconds);
        readToPlain.push_back(readSeconds / plainSeconds);
        wholeToPlain.push_back((readSeconds + viewSeconds) / plainSeconds);
    }
    state.counters["wc_l_ms"] = Median(wcTimes) * 1000.0;
    state.counters["plain_pass_vs_wc_l"] = Median(plainRatios);
    state.counters["read_vs_wc_l"] = Median(readRatios);
    state.counters["with_views_vs_wc_l"] = Median(wholeRatios);
    state.counters["read_vs_plain_pass"] = Median(readToPlain);
    state.counters["with_views_vs_plain_pass"] = Median(wholeToPlain);
}

// One million small cursor blocks with varied figures and SQL texts that share prefixes.
std::vector<CStatementRecord> SortRecords(const CCommandTypeCatalog& catalog) {
    static constexpr const char* kTables[] = {"ORDERS", "ORDER_LINES", "CUSTOMERS", "STOCK"};
    CCursorTracker tracker(CHeaderReader(catalog, true, ""), "1");
    std::uint64_t state = kSeed;
    const auto next = [&state](std::uint64_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % bound;
    };
    for (std::int64_t i = 0; i < kSortRecords; ++i) {
        std::string block = "=====================\r\nPARSING IN CURSOR #1 len=60 dep=0 uid=" +
                            std::to_string(next(200)) + " oct=3 lid=1 tim=1\r\nSELECT * FROM " +
                            kTables[next(4)] + " WHERE ID = " + std::to_string(next(1000000)) +
                            "\r\nEND OF STMT\r\nEXEC #1:c=" + std::to_string(next(100000)) +
                            ",e=" + std::to_string(next(200000)) +
                            ",p=0,cr=" + std::to_string(next(5000)) + ",cu=0,mis=0,r=1,dep=0\r\n";
        tracker.Feed(block);
    }
    std::uint64_t serial = 0;
    return tracker.TakeRecords([&serial] { return ++serial; });
}

void BM_Sort(benchmark::State& state, const char* key) {
    Engine engine;
    const std::vector<CStatementRecord> records = SortRecords(engine.catalog);
    std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
    for (auto _ : state) {
        state.PauseTiming();
        analyzer->Clear();
        CReadBatch batch;
        batch.appended.Add(std::vector<CStatementRecord>(records));
        analyzer->Apply(std::move(batch));
        state.ResumeTiming();
        analyzer->Sort(key, 1);
    }
    state.SetItemsProcessed(state.iterations() * kSortRecords);
}

// 1 MiB appended to a followed trace of `range(0)` bytes: the read should cost the same
// whatever the trace's size.
void BM_LiveRead(benchmark::State& state) {
    const std::int64_t baseBytes = state.range(0);
    const std::string folder = Files().LiveFolder(baseBytes, kSeed);
    const std::string trace = folder + "/live_ora_" + std::to_string(kSeed) + ".trc";
    std::string appended;
    CTraceGenerator(kSeed + 1, CTraceGenerator::LineEnd::Lf).AppendStatements(appended, kMiB);
    Engine engine;
    std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
    analyzer->SetPath(folder);
    analyzer->ReadFolder(); // the trace is there already: followed from its end
    std::int64_t records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::FILE* file = std::fopen(trace.c_str(), "ab");
        if (file == nullptr ||
            std::fwrite(appended.data(), 1, appended.size(), file) != appended.size() ||
            std::fclose(file) != 0) {
            state.SkipWithError("cannot append to the live trace");
            break;
        }
        state.ResumeTiming();
        const CApplyResult result = analyzer->ReadFolder();
        records += result.appendedCount;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(appended.size()));
    state.counters["records_per_read"] =
        static_cast<double>(records) / static_cast<double>(state.iterations());
    Files().LiveFolder(baseBytes, kSeed);
}

// `velquor-cli list` over 10,000 small traces: the time should follow their bytes, with little
// cost per file.
void BM_ManySmallFiles(benchmark::State& state) {
    constexpr int kFiles = 10000;
    const std::vector<std::string> paths = Files().SmallTraces(kFiles, 6 << 10);
    std::int64_t bytes = 0;
    for (const std::string& path : paths) {
        bytes += CBenchFiles::FileSize(path);
    }
    std::vector<std::string> argv{VELQUOR_CLI_PATH, "list", "--format", "tsv"};
    argv.insert(argv.end(), paths.begin(), paths.end());
    double seconds = 0;
    for (auto _ : state) {
        seconds += SecondsOf([&] { RunChild(argv); });
    }
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["files"] = kFiles;
    state.counters["ms_per_file"] = perRun * 1000.0 / kFiles;
}

// The executions of the statement of the 1 GiB trace with the most of them, read back from the
// file as the detail pane and `velquor-cli execs --row N` read them.
void BM_ExecutionsOfBusiestStatement(benchmark::State& state) {
    const std::string trace = Files().Trace(kGiB, kSeed);
    Engine engine;
    std::unique_ptr<CTraceAnalyzer> analyzer = engine.MakeAnalyzer();
    analyzer->SetPath(trace + "|");
    analyzer->ReadFileList();
    const CStatementRecord* busiest = &analyzer->GetRecord(0);
    for (std::int64_t row = 1; row < analyzer->GetCount(); ++row) {
        const CStatementRecord& record = analyzer->GetRecord(row);
        if (record.Exec().count > busiest->Exec().count) {
            busiest = &record;
        }
    }
    const CExecutionReader reader(analyzer->Texts());
    std::size_t executions = 0;
    for (auto _ : state) {
        std::vector<CExecution> read;
        std::string error;
        if (!reader.Read(*busiest, read, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        executions = read.size();
    }
    state.counters["executions"] = static_cast<double>(executions);
    state.counters["header_offset_MiB"] =
        static_cast<double>(busiest->m_nBlockOffset) / static_cast<double>(kMiB);
}

} // namespace

BENCHMARK(BM_FileModePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WcLines)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FileModeAnalysis)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_TimeViews)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_GoalVsWcLines)->Unit(benchmark::kMillisecond)->Iterations(7)->UseRealTime();
BENCHMARK_CAPTURE(BM_Sort, number_total_cpu, "total_cpu")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Sort, text_sqlStr, "sqlStr")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_ExecutionsOfBusiestStatement)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_ManySmallFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LiveRead)
    ->Arg(kMiB)
    ->Arg(kGiB)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
BENCHMARK_MAIN();
