#include "CChildProcess.h"
#include "CliTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

// Expected-output tests: each case runs velquor-cli on the fixture traces and compares what
// it wrote, with the fixture folder's path written "{data}", with expected/<case>.out. On a
// mismatch the output is kept as <case>.actual in the build folder and the difference is shown;
// VELQUOR_UPDATE_EXPECTED=1 rewrites the expected files instead.
namespace {

using namespace clitest;

struct OutputCase {
    std::string name;
    std::vector<std::string> args; // "{data}" is the fixture folder, "{out}" a file to save to
};

std::string SelectHidden() {
    std::string flags(144, '1');
    flags[73] = '0'; // catalogue position of "SELECT"
    return flags;
}

class CliOutputTest : public testing::TestWithParam<OutputCase> {};

TEST_P(CliOutputTest, MatchesExpectedOutput) {
    const OutputCase& test = GetParam();
    CTempFolder temp;
    const std::filesystem::path out = temp.Path() / "saved";
    std::vector<std::string> argv = {kCli};
    for (std::string arg : test.args) {
        if (arg.starts_with("{data}")) {
            arg = (kTestData / "data").string() + arg.substr(6);
        } else if (arg == "{out}") {
            arg = out.string();
        }
        argv.push_back(arg);
    }
    const CChildProcess::Result result = CChildProcess::Run(argv);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string actual = std::filesystem::exists(out) ? ReadFile(out) : result.out;
    const std::string data = (kTestData / "data").string();
    for (std::size_t at = actual.find(data); at != std::string::npos; at = actual.find(data, at)) {
        actual.replace(at, data.size(), "{data}");
    }

    const std::filesystem::path expected = kTestData / "expected" / (test.name + ".out");
    if (std::getenv("VELQUOR_UPDATE_EXPECTED") != nullptr) {
        WriteFile(expected, actual);
    }
    if (actual != ReadFile(expected)) {
        const std::filesystem::path kept =
            std::filesystem::path(VELQUOR_CLI_ACTUAL_DIR) / (test.name + ".actual");
        std::filesystem::create_directories(kept.parent_path());
        WriteFile(kept, actual);
        const std::string diff = "diff -u '" + expected.string() + "' '" + kept.string() + "'";
        EXPECT_EQ(std::system(diff.c_str()), 0) << "output differs; kept in " << kept;
    }
}

const std::string kFirst = "{data}/sample_ora_99.trc";
const std::string kSecond = "{data}/sample_ora_1234.trc";
const std::string kSession = "{data}/session_ora_77.trc";

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CliOutputTest,
    testing::Values(
        OutputCase{"list_table", {"list", kFirst, kSecond}},
        OutputCase{"list_tsv", {"list", "--format", "tsv", kFirst, kSecond}},
        OutputCase{"list_csv", {"list", "--format=csv", kFirst, kSecond}},
        OutputCase{"list_json", {"list", "--format", "json", kFirst, kSecond, kFirst}},
        OutputCase{
            "list_hide_sys_by_cpu",
            {"list", "--hide-sys", "--sort", "total_cpu", "--format", "tsv", kFirst, kSecond}},
        OutputCase{"list_by_sql_desc",
                   {"list", "--sort", "sqlStr", "--desc", "--format", "tsv", kSecond, kFirst}},
        OutputCase{"list_no_select",
                   {"list", "--types", SelectHidden(), "--format", "tsv", kSecond}},
        OutputCase{"list_columns_by_waits",
                   {"list", "--columns", "Sql Statament,sqlid,self elapsed,waits,count", "--sort",
                    "wait_time", "--desc", kFirst, kSecond}},
        OutputCase{"list_json_empty", {"list", "--format", "json", "{data}/../CMakeLists.txt"}},
        OutputCase{"show_recursive", {"show", "--row", "1", kSecond}},
        OutputCase{"save_sql", {"save", "--sql", "-o", "{out}", kFirst, kSecond}},
        OutputCase{"save_trc_after", {"save", "--trc", "--after", "2", "-o", "{out}", kSecond}},
        OutputCase{"profile_table", {"profile", kSession, kSecond}},
        OutputCase{"profile_histograms", {"profile", "--histograms", kSession, kSecond}},
        OutputCase{"profile_by_action_json",
                   {"profile", "--by", "action", "--exclude-idle", "--format", "json", kSession}},
        OutputCase{"sqls_table", {"sqls", kSession, kSecond}},
        OutputCase{"execs_json", {"execs", "--format", "json", kFirst, kSecond}},
        OutputCase{"execs_table_no_binds", {"execs", "--no-binds", "--top", "1", kFirst}},
        OutputCase{"sqls_tsv_hide_sys", {"sqls", "--hide-sys", "--format", "tsv", kSession}},
        OutputCase{"sqls_csv_no_idle", {"sqls", "--exclude-idle", "--format", "csv", kSession}},
        OutputCase{"sqls_json", {"sqls", "--format", "json", kSession}},
        OutputCase{"tree_table", {"tree", kSecond, kSession}},
        OutputCase{"tree_json_hide_sys", {"tree", "--hide-sys", "--format", "json", kSession}},
        OutputCase{"timeline_table", {"timeline", kSession, kSecond}},
        OutputCase{"timeline_json_range",
                   {"timeline", "--all-depths", "--format", "json", "--from",
                    "2026-12-07T08:00:00.000900+00:00", "--to", "5600", "--min-gap", "0.1",
                    kSession}}),
    [](const testing::TestParamInfo<OutputCase>& param) { return param.param.name; });

// The fixture's lines, the calls, waits, transaction ends and errors whose tim lies outside
// [from, to] left empty.
std::string CutByHand(const std::string& text, long from, long to) {
    std::istringstream in(text);
    std::string cut;
    for (std::string line; std::getline(in, line);) {
        const std::size_t tim = line.rfind("tim=");
        const bool timed = tim != std::string::npos && !line.starts_with("PARSING IN CURSOR");
        const long time = timed ? std::stol(line.substr(tim + 4)) : 0;
        cut += !timed || (time >= from && time <= to) ? line + "\n" : "\n";
    }
    return cut;
}

// `text` with the folder of `file` written "{dir}".
std::string WithoutFolder(std::string text, const std::filesystem::path& file) {
    const std::string folder = file.parent_path().string();
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
        text.replace(at, folder.size(), "{dir}");
    }
    return text;
}

// list, sqls, tree and execs with --from and --to show what they show of the trace cut by
// hand to the lines that end within the range (the lines cut left empty, so that executions
// keep their line numbers), a wait ending at --from and a fetch ending at --to included.
TEST(CliRange, ViewsOfARangeAreThoseOfTheTraceCutByHand) {
    const std::filesystem::path whole = kTestData / "data" / "session_ora_77.trc";
    CTempFolder temp;
    const std::filesystem::path cut = temp.Path() / "session_ora_77.trc";
    WriteFile(cut, CutByHand(ReadFile(whole), 2850, 5800));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"list", "--format", "json"},
          std::vector<std::string>{"sqls", "--format", "json"},
          std::vector<std::string>{"tree", "--format", "json"},
          std::vector<std::string>{"execs", "--format", "json"}}) {
        SCOPED_TRACE(command.front());
        std::vector<std::string> ranged = {kCli};
        ranged.insert(ranged.end(), command.begin(), command.end());
        std::vector<std::string> byHand = ranged;
        ranged.insert(ranged.end(), {"--from", "2850", "--to", "5800", whole.string()});
        byHand.push_back(cut.string());
        const CChildProcess::Result fromRange = CChildProcess::Run(ranged);
        const CChildProcess::Result fromCut = CChildProcess::Run(byHand);
        ASSERT_EQ(fromRange.status, 0) << fromRange.err;
        ASSERT_EQ(fromCut.status, 0) << fromCut.err;
        EXPECT_EQ(WithoutFolder(fromRange.out, whole), WithoutFolder(fromCut.out, cut));
        const std::vector<std::string> all = {kCli, command[0], "--format", "json", whole.string()};
        EXPECT_NE(WithoutFolder(CChildProcess::Run(all).out, whole),
                  WithoutFolder(fromCut.out, cut));
    }
}

} // namespace
