#include "CStatementColumns.h"

#include "CStatementRecord.h"

#include <array>

namespace {

constexpr std::array<CStatementColumns::CColumn, CStatementColumns::kCount> kColumns = {{
    {"Command Type", 90, "octName", false},
    {"uid", 80, "user_id", true},
    {"pid", 80, "pid", false},
    {"Sql Statament", 180, "sqlStr", false},
    {"Error No", 80, "error_result", false},
    {"count", 80, "total_cnt", true},
    {"cpu", 80, "total_cpu", true},
    {"elapsed", 90, "total_elap", true},
    {"disk", 80, "total_disk", true},
    {"query", 80, "total_query", true},
    {"current", 80, "total_current", true},
    {"rows", 80, "total_rows", true},
    {"parse misses", 100, "parse_miss", true},
    {"execute misses", 100, "exec_miss", true},
}};

} // namespace

const CStatementColumns::CColumn& CStatementColumns::At(int column) {
    return kColumns.at(static_cast<std::size_t>(column));
}

// The sums of the count to rows columns are the record's totals: parse, execute and fetch
// added up, rows from execute and fetch only.
std::string CStatementColumns::Cell(const CStatementRecord& record, int column) {
    switch (column) {
    case 0:
        return record.m_strOctName;
    case 1:
        return std::to_string(record.m_nUserId);
    case 2:
        return record.m_strPid;
    case 3:
        return std::string(record.GetSql().substr(0, kSqlCellLength));
    case 4:
        return record.m_strError;
    case 5:
        return std::to_string(record.m_total.count);
    case 6:
        return std::to_string(record.m_total.cpu);
    case 7:
        return std::to_string(record.m_total.elapsed);
    case 8:
        return std::to_string(record.m_total.disk);
    case 9:
        return std::to_string(record.m_total.query);
    case 10:
        return std::to_string(record.m_total.current);
    case 11:
        return std::to_string(record.m_total.rows);
    case 12:
        return std::to_string(record.m_parse.misses);
    case 13:
        return std::to_string(record.m_exec.misses);
    default:
        return {};
    }
}
