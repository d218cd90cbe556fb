#include "CTraceGenerator.h"
#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

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
    // CR LF fills the size with fewer statements.
    EXPECT_TRUE(WithCrLf(text).starts_with(Generate(7, CTraceGenerator::LineEnd::CrLf, 200000)));
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
    static const std::string text = Generate(11, CTraceGenerator::LineEnd::Lf, 2 << 20);
    EXPECT_NE(text.find(GetParam()), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lines, TraceGeneratorLineTest,
                         testing::Values("\n=====================\nPARSING IN CURSOR #",
                                         "\n=====================\nPARSE ERROR #", "\n*** 20",
                                         "\nEND OF STMT\nPARSE #", "\nEXEC #", "\nFETCH #",
                                         "\nWAIT #", "\nSTAT #", "\nXCTEND rlbk=", "\nCLOSE #",
                                         "\nERROR #", "\nUNMAP #", "\n*** ACTION NAME:(",
                                         "\nBINDS #", " dep=1 uid=0 oct=3 ", " dep=0 uid=0 ",
                                         " err=942\n", " err=10980\n", "\n\tpkg_", "\n  FROM",
                                         "\n\n", "Caf\xE9", "Caf\xC3\xA9"));

// Calls, plans and waits of a cursor stand outside its own block, as servers write them: after
// recursive statements' blocks, after time stamps, and plans when the cursor closes.
TEST(TraceGeneratorTest, WritesCursorLinesOutsideTheirBlocks) {
    const std::string text = Generate(5, CTraceGenerator::LineEnd::Lf, 1 << 20);
    std::map<std::string, std::size_t> headerBlock; // cursor number to its header's block
    std::map<char, int> outside;
    std::map<char, int> all;
    std::size_t block = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line == "=====================" || line.starts_with("*** ")) {
            ++block;
        } else if (line.starts_with("PARSING IN CURSOR #")) {
            headerBlock[line.substr(19, line.find(' ', 19) - 19)] = block;
        } else if (line.starts_with("EXEC #") || line.starts_with("STAT #") ||
                   line.starts_with("WAIT #")) {
            const std::size_t hash = line.find('#') + 1;
            const std::string cursor = line.substr(hash, line.find_first_of(": ", hash) - hash);
            ++all[line[0]];
            outside[line[0]] += headerBlock.count(cursor) != 0 && headerBlock[cursor] != block;
        }
    }
    for (const char kind : {'E', 'S', 'W'}) {
        EXPECT_GT(outside[kind] * 5, all[kind])
            << kind << ": " << outside[kind] << " of " << all[kind];
    }
}

} // namespace
