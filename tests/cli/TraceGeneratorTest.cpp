#include "CTraceGenerator.h"
#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string Generate(std::uint64_t seed, CTraceGenerator::LineEnd lineEnd, std::int64_t bytes) {
    CTraceGenerator generator(seed, lineEnd);
    std::string text;
    generator.AppendHeader(text);
    generator.AppendStatements(text, bytes);
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

TEST(TraceGeneratorTest, SameSeedSameBytes) {
    const std::string text = Generate(7, CTraceGenerator::LineEnd::Lf, 200000);
    EXPECT_EQ(Generate(7, CTraceGenerator::LineEnd::Lf, 200000), text);
    EXPECT_NE(Generate(8, CTraceGenerator::LineEnd::Lf, 200000), text);
    EXPECT_EQ(Generate(7, CTraceGenerator::LineEnd::CrLf, 200000), WithCrLf(text));
}

TEST(TraceGeneratorTest, EndsAfterAWholeStatementPastTheSize) {
    CTraceGenerator generator(3, CTraceGenerator::LineEnd::Lf);
    std::string text = "x";
    generator.AppendStatements(text, 50000);
    EXPECT_GE(text.size(), 50001u);
    EXPECT_LT(text.size(), 50001u + 20000u);
    EXPECT_EQ(text.back(), '\n');
}

TEST(TraceGeneratorTest, WritesFilesWithOrWithoutHeader) {
    clitest::CTempFolder temp;
    const std::string path = (temp.Path() / "gen_ora_1.trc").string();
    CTraceGenerator(1, CTraceGenerator::LineEnd::Lf).WriteFile(path, 100000, false);
    const std::string written = clitest::ReadFile(path);
    EXPECT_GE(written.size(), 100000u);
    EXPECT_TRUE(written.starts_with("Trace file "));
    CTraceGenerator(2, CTraceGenerator::LineEnd::Lf).WriteFile(path, 30000, true);
    const std::string appended = clitest::ReadFile(path).substr(written.size());
    EXPECT_GE(appended.size(), 30000u);
    EXPECT_TRUE(appended.starts_with("=====================\n") || appended.starts_with("\n*** "));
    EXPECT_THROW(CTraceGenerator(1, CTraceGenerator::LineEnd::Lf)
                     .WriteFile((temp.Path() / "no" / "x.trc").string(), 10, false),
                 std::runtime_error);
}

class TraceGeneratorLineTest : public testing::TestWithParam<std::string> {};

TEST_P(TraceGeneratorLineTest, WritesEveryKindOfLine) {
    static const std::string text = Generate(11, CTraceGenerator::LineEnd::Lf, 1 << 20);
    EXPECT_NE(text.find(GetParam()), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lines, TraceGeneratorLineTest,
                         testing::Values("\n=====================\nPARSING IN CURSOR #",
                                         "\n=====================\nPARSE ERROR #", "\n*** 20",
                                         "\nEND OF STMT\nPARSE #", "\nEXEC #", "\nFETCH #",
                                         "\nWAIT #", "\nSTAT #", "\nXCTEND rlbk=", "\nCLOSE #",
                                         "\nBINDS #", " dep=1 uid=0 oct=3 ", " dep=0 uid=0 ",
                                         " err=942\n", " err=10980\n", "\n\tpkg_", "\n  FROM",
                                         "\n\n", "Caf\xE9", "Caf\xC3\xA9"));

// A recursive statement's block cuts its caller off: the caller's EXEC follows a later
// separator, inside the recursive statement's block.
TEST(TraceGeneratorTest, CallerCallsFollowARecursiveBlock) {
    const std::string text = Generate(5, CTraceGenerator::LineEnd::Lf, 1 << 20);
    const std::size_t recursive = text.find(" dep=1 uid=0 ");
    ASSERT_NE(recursive, std::string::npos);
    const std::size_t callerStart = text.rfind(" dep=0 ", recursive);
    const std::size_t idStart = text.rfind("PARSING IN CURSOR #", callerStart) + 19;
    const std::string callerId = text.substr(idStart, text.find(' ', idStart) - idStart);
    const std::size_t callerExec = text.find("\nEXEC #" + callerId + ":", recursive);
    ASSERT_NE(callerExec, std::string::npos);
    EXPECT_LT(text.find("\n=====================\n", recursive), callerExec);
}

} // namespace
