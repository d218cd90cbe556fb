#include "CCliApp.h"

#include "CCallTreeWriter.h"
#include "CDelimitedWriter.h"
#include "CExecutionReader.h"
#include "CExecutionWriter.h"
#include "CFollowCommand.h"
#include "CJsonWriter.h"
#include "CMemoryFileSystem.h"
#include "CPosixTraceFile.h"
#include "CProfileWriter.h"
#include "CProgressBar.h"
#include "CSqlGroupWriter.h"
#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "CStatementFileWriter.h"
#include "CStatementTexts.h"
#include "CTableWriter.h"
#include "CTimelineMaker.h"
#include "CTimelineWriter.h"
#include "CTraceAnalyzer.h"
#include "CTraceFileSnapshot.h"
#include "CUsageError.h"
#include "IdleEvents.h"
#include "OutputText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "Usage: velquor-cli list [OPTIONS] [--format table|tsv|csv|json] FILE...\n"
    "  or:  velquor-cli show --row N [OPTIONS] FILE...\n"
    "  or:  velquor-cli save --sql|--trc [--after N] -o OUT [OPTIONS] FILE...\n"
    "  or:  velquor-cli follow [--hide-sys] [--types FLAGS] [--format table|tsv|csv|json] FOLDER\n"
    "  or:  velquor-cli profile [--by TAG] [--exclude-idle] [--histograms] [OPTIONS] "
    "[--format table|json] FILE...\n"
    "  or:  velquor-cli sqls [--exclude-idle] [OPTIONS] [--format table|tsv|csv|json] FILE...\n"
    "  or:  velquor-cli tree [OPTIONS] [--format table|json] FILE...\n"
    "  or:  velquor-cli execs [--row N | --sqlid ID] [--top N] [--no-binds] [OPTIONS]\n"
    "                   [--format table|tsv|csv|json] FILE...\n"
    "  or:  velquor-cli timeline [--from T] [--to T] [--min-gap MS] [--all-depths]\n"
    "                            [OPTIONS] [--format table|json] FILE...\n"
    "  or:  velquor-cli --help | --version\n"
    "\n"
    "Analyses Oracle SQL trace files: one record per PARSING IN CURSOR or PARSE ERROR block.\n"
    "Files are read in byte-wise order of their paths, each once. Rows count from 0.\n"
    "\n"
    "Where the time went:\n"
    "  profile  each file's duration R (from the start of its first timed line to its last\n"
    "           tim) split into the CPU of the calls at depth 0, every wait event and the\n"
    "           time unaccounted for; transactions, errors, and the calls and waits at\n"
    "           depth 0 and deeper without the calls they made. Several files: each, then\n"
    "           all together. It counts every line, whatever --hide-sys and --types hide.\n"
    "  sqls     the statements grouped by SQL id (else hash value, else text), by their\n"
    "           own elapsed time; per execution least, median, 95th percentile, greatest\n"
    "  tree     the statements the client sent, in file order, each with the recursive\n"
    "           statements its calls called below it\n"
    "  execs    every execution of each statement (or of one row, or of one SQL id): its\n"
    "           EXEC and the FETCHes up to the cursor's next EXEC or PARSE, with its line,\n"
    "           time stamps, figures, waits and bind values (one set per BINDS section)\n"
    "  timeline every depth-0 call, wait, think time (idle waits) and gap (no call or wait\n"
    "           running, within a session's turn) in time order, with the wall clock of\n"
    "           the \"*** \" time stamps where the trace has them\n"
    "Times are in seconds in tables, in microseconds in json.\n"
    "\n"
    "Options:\n"
    "  --hide-sys      leave out the statements of SYS (uid=0)\n"
    "  --types FLAGS   command-type flag string: one 1 (shown) or 0 (hidden) per catalogue\n"
    "                  entry, in catalogue order; empty shows every type\n"
    "  --sort KEY      octName, user_id, pid, sqlStr, error_result, total_cnt, total_cpu,\n"
    "                  total_elap, total_disk, total_query, total_current, total_rows,\n"
    "                  parse_miss, exec_miss, sql_id, self_elap or wait_time; numbers\n"
    "                  ascending, texts descending\n"
    "  --desc          reverse the sort direction\n"
    "  --format F      table (for people), tsv, csv or json\n"
    "  --columns LIST  list, follow: the columns to write (table, tsv, csv), their titles or\n"
    "                  sort keys comma-separated; the 14 columns up to \"execute misses\"\n"
    "                  without it; after them come sqlid, self elapsed and waits (seconds)\n"
    "  --row N         show: the record whose SQL text, call statistics and plan to print\n"
    "  --sql, --trc    save: write each record's SQL text, or its whole trace block\n"
    "  --after N       save: write only the records after row N\n"
    "  -o OUT          save: the file to write; it is written only when the command succeeds\n"
    "  --by TAG        profile: one profile per value of session, service, module, action or\n"
    "                  client (the \"*** SESSION ID:\" ... \"*** CLIENT ID:\" lines)\n"
    "  --sqlid ID      execs: only the statements of this SQL id\n"
    "  --top N         execs: each statement's N slowest executions, slowest first\n"
    "  --no-binds      execs: leave bind values out (they may hold private data)\n"
    "  --histograms    profile: also each wait event's durations in buckets of powers of ten\n"
    "  --from T        timeline, list, profile, sqls, tree, execs: only what ends at T or\n"
    "                  later, T as the trace writes wall-clock times (2024-01-16T17:52:40.466253\n"
    "                  -08:00, 2007-07-11 11:05:33.800) or a tim value\n"
    "  --to T          the same, only what ends at T or before (all but timeline: of the trace\n"
    "                  cut to the lines of the calls and waits in the range)\n"
    "  --min-gap MS    timeline: the shortest gap shown, in milliseconds (default 1)\n"
    "  --all-depths    timeline: recursive calls and their waits too\n"
    "  --exclude-idle  profile, sqls: leave idle waits (\"SQL*Net message from client\" and\n"
    "                  the like) out; R and the shares are worked out without them (tree:\n"
    "                  taken, but a call tree holds no waits)\n"
    "\n"
    "follow reads FOLDER's *.trc files every 3000 ms and prints the records of statements\n"
    "written since it started, and again those that grew (event \"updated\"), until Ctrl-C.\n"
    "One line on standard error says when FOLDER goes missing and one when it is back.\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be read or written, 2 a usage mistake,\n"
    "a missing input file or an unreadable folder.\n";

// Whether `path` names a regular file this process can read; the reason otherwise. Nothing
// but a regular file is opened, so a FIFO or a device never makes the tool wait.
std::string CheckReadableFile(const std::string& path) {
    if (path.find('|') != std::string::npos) {
        return "a path must not contain '|'";
    }
    std::string reason;
    const int fd = CPosixTraceFile::OpenRegularFile(path, reason);
    if (fd >= 0) {
        ::close(fd);
    }
    return reason;
}

void CheckReadableFolder(const std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        throw CUsageError("cannot read folder '" + path + "': " + std::strerror(errno));
    }
    ::closedir(folder);
}

// `columns` are the list columns to write; the description's 14 when empty.
std::unique_ptr<IRecordWriter> MakeWriter(COutputFormat format, bool withEvents,
                                          const CRecordTexts& texts, std::vector<int> columns) {
    if (columns.empty()) {
        for (int column = 0; column < CStatementColumns::kListed; ++column) {
            columns.push_back(column);
        }
    }
    switch (format) {
    case COutputFormat::Tsv:
        return std::make_unique<CDelimitedWriter>(stdout, CDelimitedWriter::Kind::Tsv, withEvents,
                                                  texts, std::move(columns));
    case COutputFormat::Csv:
        return std::make_unique<CDelimitedWriter>(stdout, CDelimitedWriter::Kind::Csv, withEvents,
                                                  texts, std::move(columns));
    case COutputFormat::Json:
        return std::make_unique<CJsonWriter>(stdout, withEvents, texts);
    default:
        return std::make_unique<CTableWriter>(stdout, withEvents, texts, columns);
    }
}

// The texts of one record under the detail pane's headings; a text that cannot be read (its
// file changed or cannot be read) is a failure, never printed as the text.
void PrintRecordTexts(const CStatementRecord& record, const CTraceAnalyzer& analyzer) {
    CSqlReader reader(analyzer.Texts());
    std::string text;
    std::string error;
    if (!CStatementTexts::Sections(record, reader, text, error)) {
        throw std::runtime_error(error);
    }
    WriteShownText(stdout, text);
}

} // namespace

CCliApp::CCliApp() = default;

CCliApp::~CCliApp() = default;

int CCliApp::Run(const std::vector<std::string>& args) {
    try {
        return RunCommand(CCliOptions::Parse(args));
    } catch (const CUsageError& error) {
        std::fprintf(stderr, "velquor-cli: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velquor-cli: %s\n", error.what());
        return 1;
    }
}

int CCliApp::RunCommand(const CCliOptions& options) {
    switch (options.command) {
    case CCliCommand::Help:
        std::fputs(kUsage, stdout);
        return FinishOutput();
    case CCliCommand::Version:
        std::fputs("velquor-cli " VELQUOR_VERSION "\n", stdout);
        return FinishOutput();
    case CCliCommand::List:
        return RunList(options);
    case CCliCommand::Show:
        return RunShow(options);
    case CCliCommand::Save:
        return RunSave(options);
    case CCliCommand::Follow:
        return RunFollow(options);
    case CCliCommand::Profile:
        return RunProfile(options);
    case CCliCommand::Sqls:
        return RunSqls(options);
    case CCliCommand::Tree:
        return RunTree(options);
    case CCliCommand::Execs:
        return RunExecs(options);
    case CCliCommand::Timeline:
        return RunTimeline(options);
    }
    return 2;
}

int CCliApp::RunList(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = AnalyzeRange(options);
    std::unique_ptr<IRecordWriter> writer =
        MakeWriter(options.format, false, analyzer.Texts(), options.columns);
    if (auto* table = dynamic_cast<CTableWriter*>(writer.get())) {
        table->FitColumns(analyzer);
    }
    writer->Begin();
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        writer->Write(row, analyzer.GetRecord(row), "");
    }
    writer->End();
    return FinishOutput();
}

int CCliApp::RunShow(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = Analyze(options);
    if (options.row >= analyzer.GetCount()) {
        throw CUsageError("no row " + std::to_string(options.row) + ": the list has " +
                          std::to_string(analyzer.GetCount()) + " rows");
    }
    PrintRecordTexts(analyzer.GetRecord(options.row), analyzer);
    return FinishOutput();
}

int CCliApp::RunSave(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = Analyze(options);
    if (m_notifier.HasFailed()) {
        std::fprintf(stderr, "velquor-cli: nothing written to '%s'\n", options.outPath.c_str());
        return 1;
    }
    std::string error;
    if (!CStatementFileWriter::Write(
            options.outPath, analyzer.ListedRecords(options.after + 1), analyzer.Texts(),
            options.saveContent == CSaveContent::Sql ? CStatementFileWriter::Content::Sql
                                                     : CStatementFileWriter::Content::Node,
            error)) {
        throw std::runtime_error("cannot write '" + options.outPath + "': " + error);
    }
    return 0;
}

int CCliApp::RunFollow(const CCliOptions& options) {
    const std::string& folder = options.paths.front();
    CheckReadableFolder(folder);
    CTraceAnalyzer& analyzer = MakeAnalyzer(options);
    analyzer.SetPath(folder);
    const std::unique_ptr<IRecordWriter> writer =
        MakeWriter(options.format, true, analyzer.Texts(), options.columns);
    CFollowCommand follow(analyzer, *writer);
    follow.Run(folder);
    m_notifier.Reset(); // problems of a live read were reported as they came
    return FinishOutput();
}

// One profile per file and, for several files, one for all of them.
int CCliApp::RunProfile(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = AnalyzeRange(options);
    std::vector<CProfileWriter::CSection> sections;
    const std::vector<std::string> files = analyzer.ProfiledFiles();
    for (const std::string& file : files) {
        sections.push_back({{file}, analyzer.Profile({file}, options.cutBy, options.excludeIdle)});
    }
    if (files.size() > 1) {
        sections.push_back({files, analyzer.Profile({}, options.cutBy, options.excludeIdle)});
    }
    const std::string text =
        options.format == COutputFormat::Json
            ? CProfileWriter::Json(sections, options.cutBy, options.excludeIdle)
            : CProfileWriter::Table(sections, options.cutBy);
    if (options.format == COutputFormat::Json) {
        WriteText(stdout, text);
    } else {
        WriteShownText(stdout, text);
    }
    if (options.histograms) {
        WriteShownText(stdout, WaitHistogramsText(analyzer, options.excludeIdle));
    }
    return FinishOutput();
}

// Each file's wait durations by event, in the profile's order, read from the file again
// through its statements' snapshot; idle events left out when asked.
std::string CCliApp::WaitHistogramsText(const CTraceAnalyzer& analyzer, bool excludeIdle) {
    std::map<std::string, const CTraceFileSnapshot*> files;
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        if (const CTraceFileSnapshot* file = analyzer.GetRecord(row).File()) {
            files.emplace(file->path, file);
        }
    }
    const CExecutionReader reader(analyzer.Texts());
    std::string text;
    for (const std::string& path : analyzer.ProfiledFiles()) {
        const auto file = files.find(path);
        if (file == files.end()) {
            continue; // no statement of it to read the file again through
        }
        std::map<std::string, CSkewHistogram, std::less<>> histograms;
        std::string error;
        if (!reader.ReadWaitHistograms(*file->second, histograms, error)) {
            throw std::runtime_error(error);
        }
        std::erase_if(histograms,
                      [&](const auto& entry) { return excludeIdle && IsIdleEvent(entry.first); });
        text += CProfileWriter::WaitHistograms(path, histograms);
    }
    return text;
}

int CCliApp::RunSqls(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = AnalyzeRange(options);
    CSqlGroupWriter::Write(
        stdout, analyzer.SqlGroups(options.excludeIdle, options.format == COutputFormat::Json),
        analyzer, options.format);
    return FinishOutput();
}

int CCliApp::RunTree(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = AnalyzeRange(options);
    CCallTreeWriter::Write(stdout, analyzer.CallTree(), analyzer, options.format);
    return FinishOutput();
}

// The executions of the chosen rows, read from each file in one pass over it.
int CCliApp::RunExecs(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = AnalyzeRange(options);
    if (options.row >= analyzer.GetCount()) {
        throw CUsageError("no row " + std::to_string(options.row) + ": the list has " +
                          std::to_string(analyzer.GetCount()) + " rows");
    }
    std::vector<CExecutionWriter::CStatement> statements;
    std::vector<const CStatementRecord*> records;
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        const CStatementRecord& record = analyzer.GetRecord(row);
        if ((options.row < 0 || options.row == row) &&
            (options.sqlId.empty() || options.sqlId == record.SqlId())) {
            statements.push_back({row, record.SqlId(), {}});
            records.push_back(&record);
        }
    }
    // Records by their file, each file read once.
    std::map<std::string, std::vector<std::size_t>> byFile;
    for (std::size_t i = 0; i < records.size(); ++i) {
        byFile[records[i]->File() != nullptr ? records[i]->File()->path : ""].push_back(i);
    }
    const CExecutionReader reader(analyzer.Texts());
    for (const auto& [path, indexes] : byFile) {
        std::vector<const CStatementRecord*> ofFile;
        for (const std::size_t i : indexes) {
            ofFile.push_back(records[i]);
        }
        std::vector<std::vector<CExecution>> executions;
        std::string error;
        if (!reader.ReadAll(ofFile, executions, error)) {
            throw std::runtime_error(error);
        }
        for (std::size_t k = 0; k < indexes.size(); ++k) {
            statements[indexes[k]].executions = std::move(executions[k]);
        }
    }
    if (options.top >= 0) {
        for (CExecutionWriter::CStatement& statement : statements) {
            std::stable_sort(
                statement.executions.begin(), statement.executions.end(),
                [](const CExecution& a, const CExecution& b) { return a.elapsed > b.elapsed; });
            statement.executions.resize(
                std::min(statement.executions.size(), static_cast<std::size_t>(options.top)));
        }
    }
    CExecutionWriter::Write(stdout, statements, options.format, options.withBinds);
    return FinishOutput();
}

int CCliApp::RunTimeline(const CCliOptions& options) {
    CTraceAnalyzer& analyzer = Analyze(options);
    CTimeline timeline;
    std::string error;
    const bool complete =
        CTimelineMaker::Make(analyzer, m_fileSystem, options.minGap, timeline, error);
    CTimelineWriter::Write(stdout, timeline, options);
    if (!complete) {
        std::fprintf(stderr, "velquor-cli: %s\n", error.c_str());
    }
    const int status = FinishOutput();
    return complete ? status : 1;
}

CTraceAnalyzer& CCliApp::MakeAnalyzer(const CCliOptions& options) {
    m_analyzer = std::make_unique<CTraceAnalyzer>(m_catalog, m_fileSystem, m_notifier);
    m_analyzer->SetShowSys(options.hideSys ? 0 : 1);
    m_analyzer->SetTypeFlags(options.typeFlags);
    return *m_analyzer;
}

CTraceAnalyzer& CCliApp::Analyze(const CCliOptions& options) {
    for (const std::string& file : options.paths) {
        const std::string problem = CheckReadableFile(file);
        if (!problem.empty()) {
            throw CUsageError("cannot read '" + file + "': " + problem);
        }
    }
    CTraceAnalyzer& analyzer = MakeAnalyzer(options);
    analyzer.SetFiles(options.paths);
    CProgressBar progress(stderr);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    CReadBatch batch = analyzer.Reader().ReadFileList(terminal ? &progress : nullptr);
    progress.Finish();
    analyzer.Apply(std::move(batch));
    if (!options.sortKey.empty()) {
        analyzer.Sort(options.sortKey, options.descending ? -1 : 1);
    }
    return analyzer;
}

CTraceAnalyzer& CCliApp::AnalyzeRange(const CCliOptions& options) {
    CTraceAnalyzer& whole = Analyze(options);
    if (options.timeRange.IsEmpty()) {
        return whole;
    }
    auto cut = std::make_unique<CMemoryFileSystem>();
    std::string error;
    if (!CTimelineMaker::Cut(whole, m_fileSystem, options.timeRange, *cut, error)) {
        throw std::runtime_error(error);
    }
    const std::vector<std::string> files = whole.ProfiledFiles();
    m_cut = std::move(cut);
    m_analyzer = std::make_unique<CTraceAnalyzer>(m_catalog, *m_cut, m_notifier);
    m_analyzer->SetShowSys(options.hideSys ? 0 : 1);
    m_analyzer->SetTypeFlags(options.typeFlags);
    m_analyzer->SetFiles(files);
    m_analyzer->Apply(m_analyzer->Reader().ReadFileList());
    if (!options.sortKey.empty()) {
        m_analyzer->Sort(options.sortKey, options.descending ? -1 : 1);
    }
    return *m_analyzer;
}

// Flushes standard output; a failed write (a full disk, a closed pipe) is a failure.
int CCliApp::FinishOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "velquor-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return m_notifier.HasFailed() ? 1 : 0;
}
