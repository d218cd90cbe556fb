#include "CChildProcess.h"
#include "CTraceGenerator.h"
#include "CliTestSupport.h"
#include "RealTraces.h"
#include "SafeText.h"
#include "TestDevices.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

// The tool as scripts see it: exit statuses, one-line errors, the output file written only
// on success, and whole traces through list and save.
namespace {

using namespace clitest;

std::int64_t CountLines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

// Rows of a TSV list whose "Error No" cell is filled.
std::int64_t CountErrorRows(const std::string& tsv) {
    std::int64_t rows = 0;
    std::size_t start = tsv.find('\n') + 1;
    while (start < tsv.size()) {
        const std::size_t end = tsv.find('\n', start);
        std::size_t cell = start;
        for (int column = 0; column < 4; ++column) {
            cell = tsv.find('\t', cell) + 1;
        }
        rows += tsv[cell] != '\t' ? 1 : 0;
        start = end + 1;
    }
    return rows;
}

class CliFailureTest : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(CliFailureTest, ExitsWithStatus2AndOneLineOnStderr) {
    CTempFolder temp;
    std::vector<std::string> argv = {kCli};
    for (const std::string& arg : GetParam()) {
        argv.push_back(arg == "{temp}" ? temp.Path().string() : arg);
    }
    const CChildProcess::Result result = CChildProcess::Run(argv);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.starts_with("velquor-cli: ")) << result.err;
    EXPECT_EQ(CountLines(result.err), 1) << result.err;
}

const std::string kSample = (kTestData / "data" / "sample_ora_1234.trc").string();

INSTANTIATE_TEST_SUITE_P(
    Mistakes, CliFailureTest,
    testing::Values(std::vector<std::string>{},
                    std::vector<std::string>{"list", "--bogus", kSample},
                    std::vector<std::string>{"list", "/no/such/file.trc"},
                    std::vector<std::string>{"list", kSample, "/no/such/file.trc"},
                    std::vector<std::string>{"list", "{temp}"},
                    std::vector<std::string>{"list", kSample + "|" + kSample},
                    std::vector<std::string>{"show", "--row", "99", kSample},
                    std::vector<std::string>{"list", "--types", "1x0", kSample},
                    std::vector<std::string>{"follow", "/no/such/folder"}));

TEST(CliProcessTest, HelpAndVersionSucceed) {
    const CChildProcess::Result help = CChildProcess::Run({kCli, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage:"));
    const CChildProcess::Result version = CChildProcess::Run({kCli, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("velquor-cli ")) << version.out;
}

TEST(CliProcessTest, ShowsProgressOnlyOnATerminal) {
    if (!CChildProcess::CanOpenTerminal()) {
        GTEST_SKIP() << "no pseudo-terminal can be opened here";
    }
    CChildProcess onTerminal({kCli, "list", "--format", "tsv", kSample}, true);
    const CChildProcess::Result shown = onTerminal.Wait();
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.err.find("\rreading [########################################] 100.0%"),
              std::string::npos)
        << shown.err;
    const CChildProcess::Result piped = CChildProcess::Run({kCli, "list", kSample});
    EXPECT_EQ(piped.err, "");
}

TEST(CliProcessTest, FailedSaveLeavesTheOutputFileAlone) {
    CTempFolder temp;
    const std::filesystem::path out = temp.Path() / "out.sql";
    WriteFile(out, "keep");
    const CChildProcess::Result result =
        CChildProcess::Run({kCli, "save", "--sql", "-o", out.string(), kSample, "/no/such.trc"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(ReadFile(out), "keep");
    const std::filesystem::path missingDir = temp.Path() / "none" / "out.sql";
    EXPECT_EQ(
        CChildProcess::Run({kCli, "save", "--sql", "-o", missingDir.string(), kSample}).status, 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left behind
}

// Opening a FIFO to read it would wait for a writer: the tool must refuse it at once.
TEST(CliProcessTest, RefusesAFifoAtOnce) {
    CTempFolder temp;
    const std::string fifo = (temp.Path() / "pipe_ora_7.trc").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string out = (temp.Path() / "out.sql").string();
    for (std::vector<std::string> argv :
         {std::vector<std::string>{kCli, "list"},
          std::vector<std::string>{kCli, "show", "--row", "0"},
          std::vector<std::string>{kCli, "save", "--sql", "-o", out}}) {
        SCOPED_TRACE(argv[1]);
        argv.insert(argv.end(), {kSample, fifo});
        CChildProcess child(argv);
        const std::string error = child.ReadErrLine(std::chrono::seconds(10));
        if (error.empty()) {
            child.Signal(SIGKILL);
        }
        EXPECT_EQ(error, "velquor-cli: cannot read '" + fifo + "': not a regular file");
        EXPECT_EQ(child.Wait().status, 2);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// A link is saved through: the file it names gets the statements and the link stays a link.
// A device is written into and stays a device: a full one fails the save, a null one takes it.
TEST(CliProcessTest, SaveWritesThroughLinksAndIntoDevices) {
    CTempFolder temp;
    const std::filesystem::path target = temp.Path() / "real" / "out.sql";
    std::filesystem::create_directories(target.parent_path());
    WriteFile(target, "old");
    const std::filesystem::path link = temp.Path() / "link.sql";
    std::filesystem::create_symlink("real/out.sql", link);
    const std::vector<std::string> save = {kCli, "save", "--sql", "--after", "3", "-o"};
    std::vector<std::string> argv = save;
    argv.insert(argv.end(), {link.string(), kSample});
    EXPECT_EQ(CChildProcess::Run(argv).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "=====================\r\nBEGIN pkg.run(:1); END;\r\n");

    const std::string full = testdevices::DeviceNode(temp.Path(), "full");
    const std::string null = testdevices::DeviceNode(temp.Path(), "null");
    ASSERT_FALSE(full.empty() || null.empty());
    argv = save;
    argv.insert(argv.end(), {full, kSample});
    const CChildProcess::Result onFull = CChildProcess::Run(argv);
    EXPECT_EQ(onFull.status, 1);
    EXPECT_EQ(onFull.err, "velquor-cli: cannot write '" + full + "': No space left on device\n");
    EXPECT_TRUE(testdevices::IsCharacterDevice(full));
    argv = save;
    argv.insert(argv.end(), {null, kSample});
    const CChildProcess::Result onNull = CChildProcess::Run(argv);
    EXPECT_EQ(onNull.status, 0) << onNull.err;
    EXPECT_TRUE(testdevices::IsCharacterDevice(null));
}

TEST(CliProcessTest, SaveReplacesAnExistingFile) {
    CTempFolder temp;
    const std::filesystem::path out = temp.Path() / "out.sql";
    WriteFile(out, std::string(10000, 'x'));
    ASSERT_EQ(
        CChildProcess::Run({kCli, "save", "--sql", "--after", "3", "-o", out.string(), kSample})
            .status,
        0);
    EXPECT_EQ(ReadFile(out), "=====================\r\nBEGIN pkg.run(:1); END;\r\n");
}

// The five columns that come from a statement's own block, one line per statement.
std::string StatementColumns(const std::string& tsv) {
    std::string out;
    std::size_t start = 0;
    while (start < tsv.size()) {
        const std::size_t end = std::min(tsv.find('\n', start), tsv.size());
        const std::string_view line = std::string_view(tsv).substr(start, end - start);
        std::size_t cut = 0;
        for (int tab = 0; tab < 5 && cut != std::string_view::npos; ++tab) {
            cut = line.find('\t', cut + (tab > 0 ? 1 : 0));
        }
        out += std::string(line.substr(0, cut)) + "\n";
        start = end + 1;
    }
    return out;
}

// Every statement block the generator writes becomes one row, with LF or CR LF line ends.
TEST(CliProcessTest, ListsEveryGeneratedStatement) {
    CTempFolder temp;
    std::string tsv[2];
    for (const auto lineEnd : {CTraceGenerator::LineEnd::Lf, CTraceGenerator::LineEnd::CrLf}) {
        const int index = lineEnd == CTraceGenerator::LineEnd::Lf ? 0 : 1;
        const std::filesystem::path trace = temp.Path() / std::to_string(index) / "gen_ora_42.trc";
        std::filesystem::create_directories(trace.parent_path());
        CTraceGenerator generator(42, lineEnd);
        generator.WriteFile(trace.string(), 2 << 20, false);
        const CTraceGenerator::Counts counts = generator.GetCounts();

        const CChildProcess::Result all =
            CChildProcess::Run({kCli, "list", "--format", "tsv", trace.string()});
        ASSERT_EQ(all.status, 0) << all.err;
        EXPECT_EQ(CountLines(all.out) - 1, counts.Statements());
        const CChildProcess::Result noSys =
            CChildProcess::Run({kCli, "list", "--hide-sys", "--format", "tsv", trace.string()});
        EXPECT_EQ(CountLines(noSys.out) - 1, counts.Statements() - counts.SysStatements());
        EXPECT_EQ(CountErrorRows(all.out), counts.parseErrors);
        tsv[index] = all.out;
    }
    // The same seed writes the same statements; CR LF fills the size with fewer of them (so
    // the last statements may miss later executions).
    EXPECT_TRUE(StatementColumns(tsv[0]).starts_with(StatementColumns(tsv[1])));
    EXPECT_GT(CountLines(tsv[1]), 100);
}

// The third tab-separated field of every line left out.
std::string WithoutPid(const std::string& columns) {
    std::string out;
    std::istringstream lines(columns);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t second = line.find('\t', line.find('\t') + 1);
        const std::size_t third =
            second == std::string::npos ? second : line.find('\t', second + 1);
        out += (third == std::string::npos ? line : line.substr(0, second) + line.substr(third)) +
               "\n";
    }
    return out;
}

// A saved block holds the statement's own lines only: the figures of its cursor's later
// lines stay behind, the statements themselves read back alike. So does the line that names
// its process: the saved file's pid comes from its name.
TEST(CliProcessTest, SavedTraceBlocksReadBackAlike) {
    const std::filesystem::path traces = VELQUOR_TRACES_DIR;
    SKIP_WITHOUT_REAL_TRACES(!std::filesystem::is_directory(traces));
    CTempFolder temp;
    for (const auto& entry : std::filesystem::directory_iterator(traces)) {
        if (entry.path().extension() != ".trc") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        const std::filesystem::path copy = temp.Path() / entry.path().filename();
        ASSERT_EQ(
            CChildProcess::Run({kCli, "save", "--trc", "-o", copy.string(), entry.path().string()})
                .status,
            0);
        const CChildProcess::Result original =
            CChildProcess::Run({kCli, "list", "--format", "tsv", entry.path().string()});
        const CChildProcess::Result again =
            CChildProcess::Run({kCli, "list", "--format", "tsv", copy.string()});
        EXPECT_EQ(original.status, 0);
        EXPECT_EQ(WithoutPid(StatementColumns(again.out)),
                  WithoutPid(StatementColumns(original.out)));
    }
}

// A plan 100,000 rows deep is indented by at most 64 tabs a row, so its text stays linear in
// its rows and show prints it at once.
TEST(CliProcessTest, ShowsADeepPlanQuickly) {
    CTempFolder temp;
    const std::filesystem::path trace = temp.Path() / "deep_ora_7.trc";
    constexpr int kRows = 100'000;
    std::string text = "=====================\n"
                       "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1\n"
                       "select 1\nEND OF STMT\nEXEC #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0\n";
    for (int id = 1; id <= kRows; ++id) {
        text += "STAT #1 id=" + std::to_string(id) + " cnt=1 pid=" + std::to_string(id - 1) +
                " pos=1 obj=0 op='NESTED LOOPS'\n";
    }
    WriteFile(trace, text);
    const auto started = std::chrono::steady_clock::now();
    const CChildProcess::Result shown =
        CChildProcess::Run({kCli, "show", "--row", "0", trace.string()});
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_LT(seconds.count(), 60);
    // The row source and the plans' table below it: each row twice, indented at most 64 deep.
    EXPECT_LT(shown.out.size(), std::size_t{kRows} * 300);
    const std::string deepest = std::string(64, '\t') + "NESTED LOOPS\r\n";
    EXPECT_NE(shown.out.find("      1  " + deepest), std::string::npos);
    EXPECT_EQ(shown.out.find("\t" + deepest), std::string::npos);
}

} // namespace

// A hostile trace: SQL texts and module names that a spreadsheet would run as formulas are
// written as text in CSV and TSV (numbers stay numbers); its escape sequences reach a terminal
// escaped and a file as they are.
TEST(CliProcessTest, HostileTextsAreWrittenSafely) {
    CTempFolder temp;
    const std::filesystem::path trace = temp.Path() / "evil_ora_7.trc";
    const std::string block = "=====================\n"
                              "PARSING IN CURSOR #1 len=30 dep=0 uid=5 oct=3 lid=5 tim=1 hv=1 "
                              "ad='1' sqlid='\x1b]0;owned\x07'\n"
                              "=HYPERLINK(\"http://x\",\"y\")\nEND OF STMT\n"
                              "EXEC #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=2\n";
    WriteFile(trace, "*** MODULE NAME:(=cmd|' /C calc'!A0) 2024-01-01 00:00:00.000\n" + block);
    for (const char* format : {"csv", "tsv"}) {
        const CChildProcess::Result list =
            CChildProcess::Run({kCli, "list", "--format", format, trace.string()});
        ASSERT_EQ(list.status, 0) << list.err;
        EXPECT_NE(list.out.find("'=HYPERLINK("), std::string::npos) << list.out;
        EXPECT_EQ(list.out.find(",=HYPERLINK("), std::string::npos) << list.out;
        EXPECT_EQ(list.out.find("\t=HYPERLINK("), std::string::npos) << list.out;
        const CChildProcess::Result sqls =
            CChildProcess::Run({kCli, "sqls", "--format", format, trace.string()});
        ASSERT_EQ(sqls.status, 0) << sqls.err;
        EXPECT_NE(sqls.out.find("'=HYPERLINK("), std::string::npos) << sqls.out;
    }
    const CChildProcess::Result toFile =
        CChildProcess::Run({kCli, "show", "--row", "0", trace.string()});
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_NE(toFile.out.find("=HYPERLINK("), std::string::npos);

    EXPECT_EQ(TerminalText("a\x1b[31mred\x07\tb\r\n\xc2\x9b"
                           "2J\x7f\xc3\xa9"),
              "a\\x1b[31mred\\x07\tb\r\n\\x9b2J\\x7f\xc3\xa9");
    for (const std::string cell : {"+1", "-2.5", "-1e3", "12", "", "a=b"}) {
        EXPECT_EQ(SpreadsheetCell(cell), cell);
    }
    for (const std::string cell : {"+a", "-", "@SUM(A1)", "-2.5x", "=1"}) {
        EXPECT_EQ(SpreadsheetCell(cell), "'" + cell);
    }
}

// Calls 300 deep: the tree's JSON nests its nodes 100 levels deep at most, the deeper ones in
// their ancestor's children at that depth, so that common JSON readers can read it.
TEST(CliProcessTest, TreeJsonNestsAtMostAHundredLevels) {
    CTempFolder temp;
    const std::filesystem::path trace = temp.Path() / "deep_ora_8.trc";
    constexpr int kDepth = 300;
    std::string text;
    for (int k = 1; k <= kDepth; ++k) {
        text += "=====================\nPARSING IN CURSOR #" + std::to_string(k) +
                " len=18 dep=" + std::to_string(k - 1) +
                " uid=0 oct=3 lid=0 tim=1 hv=" + std::to_string(k) + " ad='1' sqlid='s'\nselect " +
                std::to_string(k) + " from dual\nEND OF STMT\n";
    }
    for (int k = kDepth; k >= 1; --k) {
        text += "EXEC #" + std::to_string(k) + ":c=1,e=" + std::to_string(k) +
                ",p=0,cr=0,cu=0,mis=0,r=0,dep=" + std::to_string(k - 1) + ",og=1,tim=2\n";
    }
    WriteFile(trace, text);
    const CChildProcess::Result tree =
        CChildProcess::Run({kCli, "tree", "--format", "json", trace.string()});
    ASSERT_EQ(tree.status, 0) << tree.err;
    int nesting = 0;
    int deepest = 0;
    for (const char c : tree.out) {
        nesting += c == '[' || c == '{' ? 1 : (c == ']' || c == '}' ? -1 : 0);
        deepest = std::max(deepest, nesting);
    }
    EXPECT_EQ(nesting, 0);
    EXPECT_EQ(deepest, 205); // the top array, then an object and its children per level
    std::size_t nodes = 0;
    for (std::size_t at = tree.out.find("\"calls\":"); at != std::string::npos;
         at = tree.out.find("\"calls\":", at + 1)) {
        ++nodes;
    }
    EXPECT_EQ(nodes, kDepth);
    EXPECT_NE(tree.out.find("\"depth\":299,\"children\":[]"), std::string::npos);
}
