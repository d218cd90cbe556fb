#include "CRecordColumns.h"

#include "CStatementRecord.h"

const std::array<std::string_view, CRecordColumns::kCount>& CRecordColumns::Titles() {
    static constexpr std::array<std::string_view, kCount> titles = {
        "Command Type", "uid",  "pid",          "Sql Statament", "Error No",
        "count",        "cpu",  "elapsed",      "disk",          "query",
        "current",      "rows", "parse misses", "execute misses"};
    return titles;
}

std::string CRecordColumns::Cell(const CStatementRecord& record, int column) {
    switch (column) {
    case 0:
        return record.m_strOctName;
    case 1:
        return std::to_string(record.m_nUserId);
    case 2:
        return record.m_strPid;
    case 3:
        return std::string(record.GetSql().substr(0, kSqlCellBytes));
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
    default:
        return std::to_string(record.m_exec.misses);
    }
}

bool CRecordColumns::IsNumber(int column) {
    return column == 1 || column >= 5;
}
