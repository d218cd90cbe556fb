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
            const std::vector<std::string> words = Words(lines[i]);
            if (lines[i].starts_with("Misses in library cache during parse:")) {
                statement.parseMisses = std::stoll(words.back());
            } else if (lines[i].starts_with("Misses in library cache during execute:")) {
                statement.execMisses = std::stoll(words.back());
            } else if (lines[i].find("Event waited on") != std::string::npos) {
                ReadWaits(lines, i, statement);
            }
        }
        statements.push_back(statement);
    }
    return statements;
}

// Microseconds as tkprof prints seconds: cut to hundredths.
std::string Seconds(std::int64_t microseconds) {
    const std::int64_t hundredths =
        microseconds >= 0 ? microseconds / 10000 : -((-microseconds + 9999) / 10000);
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "",
                  static_cast<long long>(std::abs(hundredths) / 100),
                  static_cast<long long>(std::abs(hundredths) % 100));
    return text;
}

// A statement's call row as tkprof prints it: counts and rows as written, the rest without
// the recursive calls.
std::vector<std::string> CallRow(const std::vector<const CStatementRecord*>& group,
                                 ECallKind kind) {
    CCallFigures calls;
    CSelfFigures self;
    for (const CStatementRecord* record : group) {
        calls.Add(kind == ECallKind::Parse  ? record->m_parse
                  : kind == ECallKind::Exec ? record->m_exec
                                            : record->m_fetch);
        self.Add(kind == ECallKind::Parse  ? record->Self().parse
                 : kind == ECallKind::Exec ? record->Self().exec
                                           : record->Self().fetch);
    }
    return {std::to_string(calls.count), Seconds(self.cpu),          Seconds(self.elapsed),
            std::to_string(self.disk),   std::to_string(self.query), std::to_string(self.current),
            std::to_string(calls.rows)};
}

std::map<std::string, std::vector<std::string>>
Waits(const std::vector<const CStatementRecord*>& group) {
    std::map<std::string, CWaitFigures> sums;
    for (const CStatementRecord* record : group) {
        for (const CWaitFigures& waits : record->m_waits) {
            CWaitFigures& sum = sums[std::string(CEventNames::Name(waits.event))];
            sum.count += waits.count;
            sum.max = std::max(sum.max, waits.max);
            sum.total += waits.total;
        }
    }
    std::map<std::string, std::vector<std::string>> printed;
    for (const auto& [name, sum] : sums) {
        printed[name] = {std::to_string(sum.count), Seconds(sum.max), Seconds(sum.total)};
    }
    return printed;
}

// The statements of the three traces that have tkprof's report beside them, grouped by SQL
// text as tkprof groups them: every figure of every statement of the report.
TEST(TkprofReport, EveryStatementOfTheReportHasTkprofsFigures) {
    const std::vector<std::string> traces = RealTraces();
    std::vector<std::string> reported;
    for (const std::string& path : traces) {
        if (std::filesystem::exists(path + ".tkprof.txt")) {
            reported.push_back(path);
        }
    }
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    ASSERT_EQ(reported.size(), 3u);
    for (const std::string& path : reported) {
        SCOPED_TRACE(path);
        const std::vector<CStatementRecord> records = FileModeRecords({path}, true);
        std::map<std::string, std::vector<const CStatementRecord*>> groups;
        for (const CStatementRecord& record : records) {
            groups[WithoutBlanks(record.GetSql())].push_back(&record);
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
                parseMisses += record->m_parse.misses;
                execMisses += record->m_exec.misses;
            }
            EXPECT_EQ(parseMisses, statement.parseMisses);
            EXPECT_EQ(execMisses, statement.execMisses);
            EXPECT_EQ(Waits(group->second), statement.waits);
        }
    }
}

} // namespace
