#include "TraceText.h"
#include "CFileListReader.h"
#include "TraceLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct CNumberCase {
    const char* line;
    const char* key;
    const char* terminator;
    std::int64_t value;
};

class NumberRule : public testing::TestWithParam<CNumberCase> {};

TEST_P(NumberRule, ReadsTheValueBetweenKeyAndTerminator) {
    const CNumberCase& c = GetParam();
    EXPECT_EQ(GetNumber(c.line, c.key, c.terminator), c.value) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, NumberRule,
    testing::Values(CNumberCase{"PARSE #1:c=10,e=12,p=0", ",e=", ",", 12},
                    CNumberCase{"PARSE #1:c=10,e=12,p=0", ",e=", " ", 0},
                    CNumberCase{"uid=5 oct=3", "uid=", " ", 5},
                    CNumberCase{"uid=5 oct=3", "oct=", " ", 0},
                    CNumberCase{"uid= -7 x", "uid=", " ", 0},
                    CNumberCase{"uid=  -7x y", "uid=", " ", 0},
                    CNumberCase{"a=-42,", "a=", ",", -42}, CNumberCase{"a=+8,", "a=", ",", 8},
                    CNumberCase{"a=x9,", "a=", ",", 0}, CNumberCase{"b=1,", "a=", ",", 0},
                    CNumberCase{"e=3000000000,", "e=", ",", 3000000000LL},
                    CNumberCase{"e=99999999999999999999999,", "e=", ",", INT64_MAX},
                    CNumberCase{"e=12abc,", "e=", ",", 12}),
    [](const testing::TestParamInfo<CNumberCase>& param) {
        return "case" + std::to_string(param.index);
    });

// Random numbers of every length around the 64-bit limits, with blanks, signs and what may
// follow them, read by the fast paths (values, call lines) and by the C library's rules (which
// saturate the same way); cursor numbers that do not fit 64 bits make the line no cursor's
// line.
TEST(NumberRule, FastPathsAgreeWithTheLibraryOnRandomNumbers) {
    std::mt19937 random(7);
    const std::string heads[] = {"", " ", "  ", "-", "+", " -", "\t+"};
    const std::string tails[] = {"", ",", "x", "9", " 1", ":"};
    for (int n = 0; n < 20000; ++n) {
        std::string digits;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) {
            digits += static_cast<char>('0' + random() % 10);
        }
        const std::string text =
            heads[random() % 7] + digits + tails[random() % 6] + static_cast<char>(random() % 256);
        errno = 0;
        const long long expected = std::strtoll(text.c_str(), nullptr, 10);
        ASSERT_EQ(ParseInteger(text), expected) << text;

        const CCallLine call =
            ReadCallLine("EXEC #1:c=" + digits + ",e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=5",
                         ECallKind::Exec);
        errno = 0;
        ASSERT_EQ(call.figures.cpu, std::strtoll(digits.c_str(), nullptr, 10)) << digits;
        ASSERT_EQ(call.time, 5);

        std::uint64_t cursor = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), cursor);
        const bool fits = !digits.empty() && error == std::errc();
        const CCursorLine line = ClassifyLine("FETCH #" + digits + ":c=1");
        ASSERT_EQ(line.kind, fits ? ETraceLine::Fetch : ETraceLine::Other) << digits;
        if (fits) {
            ASSERT_EQ(line.cursor, cursor) << digits;
        }
    }
}

// Digit runs of every length up to 24, ended by any byte or by the end of the text, with up
// to 24 bytes after them: the run's length, and its value where it fits.
TEST(NumberRule, DigitRunsOfEveryLengthAndEnding) {
    std::mt19937 random(17);
    for (int round = 0; round < 50000; ++round) {
        std::string text;
        const auto length = random() % 25;
        for (std::size_t i = 0; i < length; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        const auto tail = random() % 25;
        for (std::size_t i = 0; i < tail; ++i) {
            text += static_cast<char>(random() % 4 == 0 ? '0' + random() % 10 : random() % 256);
        }
        std::size_t count = 0;
        std::uint64_t value = 0;
        for (; count < text.size() && text[count] >= '0' && text[count] <= '9'; ++count) {
            value = value * 10 + static_cast<std::uint64_t>(text[count] - '0');
        }
        const CDigitRun run = ReadDigitRun(text.data(), text.data() + text.size());
        ASSERT_EQ(run.count, count) << text;
        if (count <= 19) {
            ASSERT_EQ(run.value, value) << text;
        }
    }
}

TEST(TextRule, RunsToTerminatorOrLineEnd) {
    EXPECT_EQ(GetText("PARSE ERROR #1:len=3 dep=0 uid=5 oct=3 lid=5 tim=1 err=942", "err=", " "),
              "942");
    EXPECT_EQ(GetText("op='HASH JOIN' x", "op='", "'"), "HASH JOIN");
    EXPECT_EQ(GetText("op='CUT", "op='", "'"), "CUT");
    EXPECT_EQ(GetText("nothing here", "err=", " "), "");
}

TEST(LineWalk, VisitsEveryLineEndedByCrLfAfterTheFirstCharacter) {
    std::vector<std::string> lines;
    WalkLines("\r\nA\r\nBB\r\ntail", [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"\r\nA", "BB"}));
    lines.clear();
    WalkLines("\r\n", [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_TRUE(lines.empty());
}

TEST(Separators, OnlyTheThreeKindsCount) {
    EXPECT_TRUE(IsSeparatorLine("====================="));
    EXPECT_FALSE(IsSeparatorLine("======================"));
    EXPECT_FALSE(IsSeparatorLine("===================="));
    EXPECT_TRUE(IsSeparatorLine("*** 2024-01-01 10:00:00.000"));
    EXPECT_FALSE(IsSeparatorLine("***2024"));
    EXPECT_TRUE(IsSeparatorLine("Dump file /u01/x.trc"));
    EXPECT_FALSE(IsSeparatorLine("Dump file"));
    EXPECT_FALSE(IsSeparatorLine(""));
}

// Texts of random bytes of every value, the line ends rare and ":" frequent among them,
// searched from every start: each search finds the line end a byte-by-byte search finds, and
// the tracker's search the last ":" before it.
TEST(LineBreaks, FindTheFirstLineEndAmongBytesOfEveryValue) {
    std::mt19937 random(5);
    const auto reference = [](const char* first, const char* last, bool zero) {
        CLineEnd found{first, nullptr};
        while (found.end != last && *found.end != '\r' && *found.end != '\n' &&
               (!zero || *found.end != '\0')) {
            found.lastColon = *found.end == ':' ? found.end : found.lastColon;
            ++found.end;
        }
        return found;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 100, ' ');
        for (char& c : text) {
            const auto byte = static_cast<char>(random() % 256);
            const bool ends = byte == '\r' || byte == '\n' || byte == '\0';
            c = random() % 16 == 0 ? ':' : ends && random() % 4 != 0 ? 'x' : byte;
        }
        const char* const end = text.data() + text.size();
        for (const char* first = text.data(); first <= end; ++first) {
            ASSERT_EQ(FindLineBreak(first, end), reference(first, end, false).end) << round;
            const CLineEnd found = LineEndFinder()(first, end);
            const CLineEnd expected = reference(first, end, true);
            ASSERT_EQ(found.end, expected.end) << round;
            ASSERT_EQ(found.lastColon, expected.lastColon) << round;
        }
    }
}

// Wait lines of random events, parameters and time stamps, some with "tim=" in the event or
// a parameter's name, or none at all, and "tim=" at every distance from the ela: the fast path
// must read what the general rules read.
TEST(WaitLine, ReadsAsTheGeneralRulesRead) {
    std::mt19937 random(11);
    const std::vector<std::string> events = {"db file sequential read",
                                             "SQL*Net message from client",
                                             "latch: tim=x",
                                             "enq: TX",
                                             "",
                                             "tim=",
                                             "a ela= 9"};
    const std::vector<std::string> tails = {" driver id=1 #bytes=1 p3=0 obj#=-1 tim=",
                                            " tim=",
                                            " xtim=5 tim=",
                                            " p1=2",
                                            " obj#=7 tim= ",
                                            " timer=1 tim=-"};
    std::uniform_int_distribution<std::int64_t> number(0, 99999999999);
    for (int round = 0; round < 5000; ++round) {
        std::string padding(random() % 48, ' ');
        for (char& c : padding) {
            c = " tim=x"[random() % 6];
        }
        const std::string line = "WAIT #" + std::to_string(number(random)) + ": nam='" +
                                 events[random() % events.size()] +
                                 "' ela= " + std::to_string(number(random)) + padding +
                                 tails[random() % tails.size()] + std::to_string(number(random));
        const std::size_t name = line.find("nam='") + 5;
        const std::size_t ela = line.find("ela=");
        const std::size_t tim = line.find("tim=");
        const CWaitLine wait = ReadWaitLine(line);
        ASSERT_EQ(wait.event, std::string_view(line).substr(name, line.find('\'', name) - name))
            << line;
        ASSERT_EQ(wait.elapsed, ParseInteger(std::string_view(line).substr(ela + 4))) << line;
        ASSERT_EQ(wait.time, tim == std::string::npos
                                 ? 0
                                 : ParseInteger(std::string_view(line).substr(tim + 4)))
            << line;
    }
}

// CLOSE lines in the servers' layout and off it (pairs missing, repeated, moved or added,
// numbers too long for the fast path): each of c, e, dep and tim takes its last value.
TEST(CloseLine, ReadsEveryPairsLastValue) {
    std::mt19937 random(13);
    const std::vector<std::string> keys = {"c", "e", "dep", "type", "tim", "x"};
    const auto number = [&] {
        const std::string digits =
            std::to_string(random() % 1000000000) + std::to_string(random() % 1000000000) + "1234";
        return digits.substr(0, 1 + random() % 20);
    };
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::string> pairs = {"c", "e", "dep", "type", "tim"};
        if (random() % 2 == 0) {
            pairs.push_back(keys[random() % keys.size()]);
            std::swap(pairs[random() % pairs.size()], pairs[random() % pairs.size()]);
        }
        std::string line = "CLOSE #" + number() + ":";
        std::int64_t expected[4] = {};
        for (const std::string& key : pairs) {
            const std::string value = number();
            line += key + "=" + value + ",";
            const std::int64_t read = ParseInteger(value);
            const auto at = std::find(keys.begin(), keys.end(), key) - keys.begin();
            const int slot[] = {0, 1, 2, -1, 3, -1};
            if (slot[at] >= 0) {
                expected[slot[at]] = read;
            }
        }
        line.pop_back();
        const CCallLine close = ReadCloseLine(line);
        ASSERT_EQ(close.figures.cpu, expected[0]) << line;
        ASSERT_EQ(close.figures.elapsed, expected[1]) << line;
        ASSERT_EQ(close.depth, expected[2]) << line;
        ASSERT_EQ(close.time, expected[3]) << line;
    }
}

TEST(PieceCut, CutsBeforeTheLastCompleteSeparatorLine) {
    const std::string text = "a\n=====================\nb\n*** x\nc\n=====";
    EXPECT_EQ(CFileListReader::FindCut(text, 0), text.find("*** x"));
    EXPECT_EQ(CFileListReader::FindCut("=====================\nb\n", 0), std::string::npos)
        << "a separator on the first line gives no cut";
    EXPECT_EQ(CFileListReader::FindCut("a\n=====================", 0), std::string::npos)
        << "an unfinished separator line may still grow";
    EXPECT_EQ(CFileListReader::FindCut(text, text.find("c\n")), std::string::npos);
    const std::string header = "a\n*** MODULE NAME:(m)\n*** SESSION ID:(1.2)\nb\n";
    EXPECT_EQ(CFileListReader::FindCut(header, 0), header.find("*** MODULE"))
        << "a run of \"*** \" lines is one header, kept in one piece";
}

// 11.2 servers write some LOB calls with their figures first; they read as the others do.
TEST(CloseLine, LobCallsReadTheirFiguresWhereverTheyStand) {
    for (const std::string line :
         {"LOBREAD: c=1000,e=456,p=0,cr=0,cu=0,tim=789",
          "LOBREAD: type=PERSISTENT LOB,bytes=9,c=1000,e=456,p=0,cr=0,cu=0,tim=789"}) {
        const CCallLine lob = ReadCloseLine(line);
        EXPECT_EQ(lob.figures.cpu, 1000) << line;
        EXPECT_EQ(lob.figures.elapsed, 456) << line;
        EXPECT_EQ(lob.time, 789) << line;
    }
    EXPECT_EQ(ReadCloseLine("LOBREAD:  ").figures.cpu, 0);
}

} // namespace
