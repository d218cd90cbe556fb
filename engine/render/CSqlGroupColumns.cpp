#include "CSqlGroupColumns.h"

#include "CSqlGroupTable.h"
#include "CStatementColumns.h"
#include "TimeText.h"

#include <array>
#include <stdexcept>

namespace {

using EUnit = CSqlGroupColumns::EUnit;

const std::array<CSqlGroupColumns::CColumn, CSqlGroupColumns::kCount> kColumns = {{
    {"SQL ID", EUnit::Text, nullptr, false},
    {"Statements", EUnit::Count, [](const CSqlGroupRow& g) { return g.statements; }, false},
    {"Executions", EUnit::Count, [](const CSqlGroupRow& g) { return g.executions; }, false},
    {"Elapsed (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.total.elapsed; }, false},
    {"Self (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.self.elapsed; }, false},
    {"Self CPU (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.self.cpu; }, false},
    {"Disk", EUnit::Count, [](const CSqlGroupRow& g) { return g.self.disk; }, false},
    {"Query", EUnit::Count, [](const CSqlGroupRow& g) { return g.self.query; }, false},
    {"Current", EUnit::Count, [](const CSqlGroupRow& g) { return g.self.current; }, false},
    {"Rows", EUnit::Count, [](const CSqlGroupRow& g) { return g.total.rows; }, false},
    {"Exec min (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.executionTimes.min; },
     true},
    {"Median (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.executionTimes.median; },
     true},
    {"95th pct (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.executionTimes.p95; },
     true},
    {"Exec max (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.executionTimes.max; },
     true},
    {"Waits (s)", EUnit::Seconds, [](const CSqlGroupRow& g) { return g.waitTime; }, false},
    {"Errors", EUnit::Count, [](const CSqlGroupRow& g) { return g.errorCount; }, false},
    {"SQL", EUnit::Text, nullptr, false},
}};

} // namespace

const CSqlGroupColumns::CColumn& CSqlGroupColumns::At(int column) {
    if (column < 0 || column >= kCount) {
        throw std::out_of_range("no such group column");
    }
    return kColumns[static_cast<std::size_t>(column)];
}

std::string CSqlGroupColumns::Cell(const CSqlGroupRow& group, int column, std::string_view sql) {
    const CColumn& c = At(column);
    if (c.numberOf == nullptr) {
        return column == kSqlColumn ? CStatementColumns::SqlCell(sql) : Key(group);
    }
    if (c.execution && group.executionTimes.count == 0) {
        return {};
    }
    const std::int64_t value = c.numberOf(group);
    return c.unit == EUnit::Seconds ? FormatSeconds(value) : std::to_string(value);
}

std::string CSqlGroupColumns::Key(const CSqlGroupRow& group) {
    if (!group.sqlId.empty()) {
        return group.sqlId;
    }
    return group.hashValue != 0 ? "hv=" + std::to_string(group.hashValue) : std::string();
}
