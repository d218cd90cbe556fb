#include "CPlanDumps.h"
#include "CSqlReader.h"
#include "EngineTestSupport.h"
#include "RealTraces.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <regex>

namespace {

// A "Rows (1st) Rows (avg) Rows (max)" table of a tkprof report, with its statement's SQL id
// and how many plan dumps the report says it summed.
struct CReportPlan {
    std::string sqlId;
    std::int64_t dumps = 0;
    std::vector<std::array<std::int64_t, 4>> rows; // first, average, max, depth
    std::vector<std::string> operations;           // the row's text, its figures included
};

std::vector<CReportPlan> ReadPlans(const std::string& report) {
    static const std::regex kSqlId(R"(^SQL ID: (\w+) .*)");
    static const std::regex kDumps(R"(^Number of plan statistics captured: (\d+))");
    static const std::regex kRow(R"(^\s*(\d+)\s+(\d+)\s+(\d+)  ( *)(.*?)(\(object id \d+\))?$)");
    std::vector<CReportPlan> plans;
    CReportPlan current;
    bool inTable = false;
    std::ifstream in(report);
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, kSqlId)) {
            current = {match[1], 0, {}, {}};
        } else if (std::regex_match(line, match, kDumps)) {
            current.dumps = std::stoll(match[1]);
        } else if (line.starts_with("Rows (1st) Rows (avg) Rows (max)")) {
            inTable = true;
        } else if (inTable && std::regex_match(line, match, kRow)) {
            current.rows.push_back({std::stoll(match[1]), std::stoll(match[2]),
                                    std::stoll(match[3]), match[4].length()});
            current.operations.push_back(match[5]);
        } else if (inTable && !line.starts_with("----------")) {
            inTable = false;
            plans.push_back(current);
        }
    }
    return plans;
}

} // namespace

// Every plan table of the real traces' tkprof reports: the dumps summed, each row source's
// rows in the first dump, on average and at most, and the averages of its figures.
TEST(PlanDumps, RowSourcesOverTheDumpsAreTkprofs) {
    SKIP_WITHOUT_REAL_TRACES(RealTraces().empty());
    int tables = 0;
    for (const std::string& path : RealTraces()) {
        if (!std::filesystem::exists(path + ".tkprof.txt")) {
            continue;
        }
        SCOPED_TRACE(path);
        const std::vector<CStatementRecord> records = FileModeRecords({path}, true);
        for (const CReportPlan& expected : ReadPlans(path + ".tkprof.txt")) {
            SCOPED_TRACE(expected.sqlId);
            ++tables;
            std::vector<CPlanDumps> found;
            for (const CStatementRecord& record : records) {
                std::vector<std::string> operations;
                std::string error;
                CSqlReader sqls(PosixTexts());
                ASSERT_TRUE(sqls.PlanOperations(record, operations, error)) << error;
                if (record.SqlId() == expected.sqlId && record.PlanRowCount() != 0) {
                    found.push_back(CPlanDumps::Of(record, operations));
                }
            }
            ASSERT_EQ(found.size(), 1u);
            ASSERT_EQ(found[0].DumpCount(), static_cast<std::size_t>(expected.dumps));
            ASSERT_EQ(found[0].Plans().size(), 1u);
            const std::vector<CPlanSource>& sources = found[0].Plans()[0].sources;
            ASSERT_EQ(sources.size(), expected.rows.size());
            for (std::size_t i = 0; i < sources.size(); ++i) {
                const std::string& operation = expected.operations[i];
                EXPECT_EQ(sources[i].operation, CPlanDumps::OperationName(operation));
                EXPECT_EQ(sources[i].depth, expected.rows[i][3]);
                EXPECT_EQ(sources[i].rowsFirst, expected.rows[i][0]);
                EXPECT_EQ(sources[i].rowsAverage, expected.rows[i][1]);
                EXPECT_EQ(sources[i].rowsMax, expected.rows[i][2]);
                EXPECT_EQ(sources[i].cr, CPlanDumps::Figure(operation, "cr"));
                EXPECT_EQ(sources[i].pr, CPlanDumps::Figure(operation, "pr"));
                EXPECT_EQ(sources[i].pw, CPlanDumps::Figure(operation, "pw"));
                EXPECT_EQ(sources[i].time, CPlanDumps::Figure(operation, "time"));
                EXPECT_EQ(sources[i].card, CPlanDumps::Figure(operation, "card"));
                EXPECT_EQ(sources[i].cost, CPlanDumps::Figure(operation, "cost"));
            }
        }
    }
    EXPECT_GE(tables, 3);
}
