#include "CChildProcess.h"
#include "CliTestSupport.h"

#include <csignal>
#include <gtest/gtest.h>

// follow against a real folder that a writer changes while the tool runs.
namespace {

using namespace clitest;
using namespace std::chrono_literals;

constexpr auto kReadWait = 10s; // more than three periods of 3000 ms

const std::string kStatement = "=====================\n"
                               "PARSING IN CURSOR #1 len=8 dep=0 uid=5 oct=3 lid=5 tim=1\n"
                               "select 1\n"
                               "END OF STMT\n"
                               "PARSE #1:c=1,e=2,p=0,cr=0,cu=0,mis=0,r=0,dep=0\n";

std::string Field(const std::string& line, const std::string& name) {
    const std::size_t start = line.find("\"" + name + "\":");
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t value = start + name.size() + 3;
    return line.substr(value, line.find_first_of(",}", value) - value);
}

TEST(CliFollowTest, PrintsNewAndGrownStatementsUntilInterrupted) {
    CTempFolder temp;
    const std::filesystem::path old = temp.Path() / "old_1.trc";
    WriteFile(old, kStatement + kStatement);
    CChildProcess follow({kCli, "follow", "--format", "json", temp.Path().string()});
    ASSERT_NE(follow.ReadErrLine(kReadWait).find("following"), std::string::npos);

    // Statements already in the folder are not listed; those written since are.
    WriteFile(old, kStatement, std::ios::app);
    WriteFile(temp.Path() / "new_2.trc", kStatement + kStatement);
    std::vector<std::string> lines;
    for (int i = 0; i < 3; ++i) {
        lines.push_back(follow.ReadOutLine(kReadWait));
        EXPECT_EQ(Field(lines.back(), "event"), "\"appended\"") << lines.back();
    }
    EXPECT_EQ(Field(lines[0], "row") + Field(lines[1], "row") + Field(lines[2], "row"), "012");
    // Files are read in byte-wise order of their paths: new_2.trc before old_1.trc.
    EXPECT_EQ(Field(lines[0], "pid") + Field(lines[1], "pid") + Field(lines[2], "pid"),
              "\"2\"\"2\"\"1\"");

    // The last statement of a file grows: its row is printed again, marked as updated.
    WriteFile(temp.Path() / "new_2.trc", "EXEC #1:c=7,e=8,p=0,cr=0,cu=0,mis=0,r=3,dep=0\n",
              std::ios::app);
    const std::string updated = follow.ReadOutLine(kReadWait);
    EXPECT_EQ(Field(updated, "event"), "\"updated\"") << updated;
    EXPECT_EQ(Field(updated, "row"), "1");
    EXPECT_NE(updated.find("\"total\":{\"count\":2,\"cpu\":8,"), std::string::npos) << updated;

    follow.Signal(SIGINT);
    const CChildProcess::Result end = follow.Wait();
    EXPECT_EQ(end.status, 0) << end.err;
    EXPECT_EQ(end.out, "");
}

// The followed folder deleted and made again: one line on stderr each time, and what is
// written into the new folder is printed.
TEST(CliFollowTest, SaysOnceThatTheFolderIsGoneAndOnceThatItIsBack) {
    CTempFolder temp;
    const std::filesystem::path folder = temp.Path() / "trace";
    std::filesystem::create_directory(folder);
    WriteFile(folder / "a_1.trc", kStatement);
    CChildProcess follow({kCli, "follow", "--format", "tsv", folder.string()});
    ASSERT_EQ(follow.ReadOutLine(kReadWait).substr(0, 9), "event\trow");
    ASSERT_NE(follow.ReadErrLine(kReadWait).find("following"), std::string::npos);

    std::filesystem::remove_all(folder);
    EXPECT_EQ(follow.ReadErrLine(kReadWait),
              "velquor-cli: Trace folder unavailable, waiting for it: " + folder.string() +
                  ": No such file or directory");
    EXPECT_EQ(follow.ReadErrLine(7s), "") << "said once"; // two reads
    std::filesystem::create_directory(folder);
    WriteFile(folder / "a_1.trc", kStatement);
    EXPECT_EQ(follow.ReadErrLine(kReadWait),
              "velquor-cli: Trace folder available, following it: " + folder.string());
    EXPECT_EQ(follow.ReadOutLine(kReadWait).substr(0, 20), "appended\t0\tSELECT\t5\t");
    follow.Signal(SIGINT);
    const CChildProcess::Result end = follow.Wait();
    EXPECT_EQ(end.status, 0) << end.err;
    EXPECT_EQ(end.err, "");
}

TEST(CliFollowTest, TsvRowsCarryTheirEvent) {
    CTempFolder temp;
    CChildProcess follow({kCli, "follow", "--format", "tsv", temp.Path().string()});
    EXPECT_EQ(follow.ReadOutLine(kReadWait).substr(0, 23), "event\trow\tCommand Type\t");
    ASSERT_NE(follow.ReadErrLine(kReadWait).find("following"), std::string::npos);
    WriteFile(temp.Path() / "a_3.trc", kStatement);
    EXPECT_EQ(follow.ReadOutLine(kReadWait).substr(0, 20), "appended\t0\tSELECT\t5\t");
    follow.Signal(SIGTERM);
    EXPECT_EQ(follow.Wait().status, 0);
}

} // namespace
