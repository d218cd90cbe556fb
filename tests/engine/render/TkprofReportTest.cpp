#include "CEventNames.h"
#include "CTempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

namespace {

// One statement of a tkprof report: its call table as printed, its library cache misses
// and its waits, keyed by event.
struct CReportStatement {
    std::string sql; // without white space: tkprof lays the text out anew
    std::map<std::string, std::vector<std::string>> calls; // "Parse" to its seven figures
    std::int64_t parseMisses = 0;
    std::int64_t execMisses = 0;
    std::map<std::string, std::vector<std::string>> waits; // event to times, max, total
};

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::vector<std::vector<std::string>> Sections(const std::string& report) {
    std::vector<std::vector<std::string>> sections(1);
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (line == std::string(80, '*') || line == std::string(80, '-')) {
            sections.emplace_back();
        } else {
            sections.back().push_back(line);
        }
    }
    return sections;
}

void ReadWaits(const std::vector<std::string>& lines, std::size_t from, CReportStatement& s) {
    static const std::regex kWait(R"(^  (.+?)\s+(\d+)\s+([\d.]+)\s+([\d.]+)\s*$)");
    for (std::size_t i = from + 2; i < lines.size(); ++i) {
        std::smatch match;
        if (!std::regex_match(lines[i], match, kWait)) {
            return;
        }
        s.waits[match[1]] = {match[2], match[3], match[4]};
    }
}

// The misses or the waits a line of a statement's section starts.
void ReadNote(const std::vector<std::string>& lines, std::size_t i, CReportStatement& s) {
    const std::vector<std::string> words = Words(lines[i]);
    if (lines[i].starts_with("Misses in library cache during parse:")) {
        s.parseMisses = std::stoll(words.back());
    } else if (lines[i].starts_with("Misses in library cache during execute:")) {
        s.execMisses = std::stoll(words.back());
    } else if (lines[i].find("Event waited on") != std::string::npos) {
        ReadWaits(lines, i, s);
    }
}

// A call table and what follows it up to the next table: misses and waits.
CReportStatement ReadTable(const std::vector<std::string>& lines, std::size_t from) {
    CReportStatement statement;
    std::size_t i = from;
    while (i < lines.size() && !lines[i].starts_with("call     count")) {
        ++i;
    }
    for (std::size_t row = i + 2; row < std::min(i + 8, lines.size()); ++row) {
        const std::vector<std::string> words = Words(lines[row]);
        if (words.size() == 8 && !words[0].starts_with("-")) {
            statement.calls[words[0]] = {words.begin() + 1, words.end()};
        }
    }
    for (++i; i < lines.size() && !lines[i].starts_with("call     count") &&
              lines[i].find("OVERALL TOTALS") == std::string::npos;
         ++i) {
        ReadNote(lines, i, statement);
    }
    return statement;
}

std::vector<CReportStatement> ReadReport(const std::string& path) {
    std::vector<CReportStatement> statements;
    for (const std::vector<std::string>& lines : Sections(CTempFolder::Read(path))) {
        const auto table = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.starts_with("call     count");
        });
        const bool totals = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find("OVERALL TOTALS") != std::string::npos;
        });
        if (table == lines.end() || totals) {
            continue;
        }
        CReportStatement statement;
        for (auto line = lines.begin(); line != table; ++line) {
            statement.sql += line->starts_with("SQL ID") ? "" : WithoutBlanks(*line);
        }
        for (auto line = table + 2; line != table + 5; ++line) {
            const std::vector<std::string> words = Words(*line);
            statement.calls[words[0]] = {words.begin() + 1, words.end()};
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ReadNote(lines, i, statement);
        }
        statements.push_back(statement);
    }
    return statements;
}

std::string Seconds(std::int64_t microseconds) {
    const std::int64_t hundredths =
        microseconds >= 0 ? microseconds / 10000 : -((-microseconds + 9999) / 10000);
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "",
                  static_cast<long long>(std::abs(hundredths) / 100),
                  static_cast<long long>(std::abs(hundredths) % 100));
    return text;
}

// Microseconds as tkprof prints seconds: cut to hundredths.
std::string Seconds(std::int64_t microseconds);

// The "OVERALL TOTALS FOR ALL NON-RECURSIVE STATEMENTS" table of a report, then the one for
// recursive statements.
std::pair<CReportStatement, CReportStatement> ReadOverall(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(CTempFolder::Read(path));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    const auto find = [&](std::string_view title) {
        return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), title) -
                                        lines.begin());
    };
    return {ReadTable(lines, find("OVERALL TOTALS FOR ALL NON-RECURSIVE STATEMENTS")),
            ReadTable(lines, find("OVERALL TOTALS FOR ALL RECURSIVE STATEMENTS"))};
}

// A call row of the profile's totals as tkprof prints it: counts and rows as written, the
// rest without the recursive calls; the total row sums before it cuts to hundredths.
std::map<std::string, std::vector<std::string>> CallRows(const CDepthTotals& totals) {
    std::map<std::string, std::vector<std::string>> rows;
    CCallFigures sum;
    CSelfFigures self;
    const char* names[] = {"Parse", "Execute", "Fetch"};
    for (std::size_t k = 0; k < 3; ++k) {
        const CCallFigures& c = totals.calls[k];
        const CSelfFigures& s = totals.self[k];
        rows[names[k]] = {std::to_string(c.count), Seconds(s.cpu),
                          Seconds(s.elapsed),      std::to_string(s.disk),
                          std::to_string(s.query), std::to_string(s.current),
                          std::to_string(c.rows)};
        sum.Add(c);
        self.Add(s);
    }
    rows["total"] = {std::to_string(sum.count),  Seconds(self.cpu),
                     Seconds(self.elapsed),      std::to_string(self.disk),
                     std::to_string(self.query), std::to_string(self.current),
                     std::to_string(sum.rows)};
    return rows;
}

// A statement's call row as tkprof prints it: counts and rows as written, the rest without
// the recursive calls.
std::vector<std::string> CallRow(const std::vector<const CStatementRecord*>& group,
                                 ECallKind kind) {
    CCallFigures calls;
    CSelfFigures self;
    for (const CStatementRecord* record : group) {
        calls.Add(record->CallsOf(kind));
        self.Add(kind == ECallKind::Parse  ? record->Self().parse
                 : kind == ECallKind::Exec ? record->Self().exec
                                           : record->Self().fetch);
    }
    return {std::to_string(calls.count), Seconds(self.cpu),          Seconds(self.elapsed),
            std::to_string(self.disk),   std::to_string(self.query), std::to_string(self.current),
            std::to_string(calls.rows)};
}

std::map<std::string, std::vector<std::string>> Printed(const std::vector<CWaitFigures>& waits) {
    std::map<std::string, CWaitFigures> sums;
    for (const CWaitFigures& wait : waits) {
        CWaitFigures& sum = sums[std::string(CEventNames::Name(wait.event))];
        sum.count += wait.count;
        sum.max = std::max(sum.max, wait.max);
        sum.total += wait.total;
    }
    std::map<std::string, std::vector<std::string>> printed;
    for (const auto& [name, sum] : sums) {
        printed[name] = {std::to_string(sum.count), Seconds(sum.max), Seconds(sum.total)};
    }
    return printed;
}

std::map<std::string, std::vector<std::string>>
Waits(const std::vector<const CStatementRecord*>& group) {
    std::vector<CWaitFigures> waits;
    for (const CStatementRecord* record : group) {
        const std::vector<CWaitFigures> more = record->Waits();
        waits.insert(waits.end(), more.begin(), more.end());
    }
    return Printed(waits);
}

std::vector<std::string> ReportedTraces() {
    std::vector<std::string> reported;
    for (const std::string& path : RealTraces()) {
        if (std::filesystem::exists(path + ".tkprof.txt")) {
            reported.push_back(path);
        }
    }
    return reported;
}

// The statements of the three traces that have tkprof's report beside them, grouped by SQL
// text as tkprof groups them: every figure of every statement of the report.
TEST(TkprofReport, EveryStatementOfTheReportHasTkprofsFigures) {
    const std::vector<std::string> reported = ReportedTraces();
    SKIP_WITHOUT_REAL_TRACES(RealTraces().empty());
    ASSERT_EQ(reported.size(), 3u);
    for (const std::string& path : reported) {
        SCOPED_TRACE(path);
        const std::vector<CStatementRecord> records = FileModeRecords({path}, true);
        std::map<std::string, std::vector<const CStatementRecord*>> groups;
        for (const CStatementRecord& record : records) {
            groups[WithoutBlanks(SqlOf(record))].push_back(&record);
        }
        const std::vector<CReportStatement> statements = ReadReport(path + ".tkprof.txt");
        ASSERT_GE(statements.size(), 2u);
        for (const CReportStatement& statement : statements) {
            SCOPED_TRACE(statement.sql.substr(0, 60));
            const auto group = groups.find(statement.sql);
            ASSERT_NE(group, groups.end());
            EXPECT_EQ(CallRow(group->second, ECallKind::Parse), statement.calls.at("Parse"));
            EXPECT_EQ(CallRow(group->second, ECallKind::Exec), statement.calls.at("Execute"));
            EXPECT_EQ(CallRow(group->second, ECallKind::Fetch), statement.calls.at("Fetch"));
            std::int64_t parseMisses = 0;
            std::int64_t execMisses = 0;
            for (const CStatementRecord* record : group->second) {
                parseMisses += record->Parse().misses;
                execMisses += record->Exec().misses;
            }
            EXPECT_EQ(parseMisses, statement.parseMisses);
            EXPECT_EQ(execMisses, statement.execMisses);
            EXPECT_EQ(Waits(group->second), statement.waits);
        }
    }
}

// The profile's calls and waits at depth 0 and deeper are tkprof's overall totals, read in
// one piece or in many, with or without the SYS statements in the list.
TEST(TkprofReport, ProfileTotalsAreTkprofsOverallTotals) {
    const std::vector<std::string> reported = ReportedTraces();
    SKIP_WITHOUT_REAL_TRACES(RealTraces().empty());
    ASSERT_EQ(reported.size(), 3u);
    for (const std::string& path : reported) {
        SCOPED_TRACE(path);
        const auto [topLevel, recursive] = ReadOverall(path + ".tkprof.txt");
        ASSERT_EQ(topLevel.calls.size(), 4u);
        ASSERT_EQ(recursive.calls.size(), 4u);
        for (const bool showSys : {true, false}) {
            for (const std::int64_t pieceBytes : {0, 3000}) {
                const CProfileReport report = FileModeViews({path}, showSys, pieceBytes).profile;
                EXPECT_EQ(CallRows(report.topLevel), topLevel.calls);
                EXPECT_EQ(CallRows(report.recursive), recursive.calls);
                EXPECT_EQ(report.topLevel.calls[0].misses, topLevel.parseMisses);
                EXPECT_EQ(report.topLevel.calls[1].misses, topLevel.execMisses);
                EXPECT_EQ(report.recursive.calls[0].misses, recursive.parseMisses);
                EXPECT_EQ(report.recursive.calls[1].misses, recursive.execMisses);
                EXPECT_EQ(Printed(report.topLevel.waits), topLevel.waits);
                EXPECT_EQ(Printed(report.recursive.waits), recursive.waits);
            }
        }
    }
}

} // namespace
