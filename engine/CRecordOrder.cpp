#include "CRecordOrder.h"

#include <array>
#include <cstdint>

namespace {

enum NumberKey {
    kUserId,
    kCount,
    kCpu,
    kElapsed,
    kDisk,
    kQuery,
    kCurrent,
    kRows,
    kParseMiss,
    kExecMiss
};
enum TextKey { kOctName, kPid, kSql, kError };

struct CKeyName {
    std::string_view name;
    int key;
};

constexpr std::array kTextKeys = {CKeyName{"octName", kOctName}, CKeyName{"pid", kPid},
                                  CKeyName{"sqlStr", kSql}, CKeyName{"error_result", kError}};
constexpr std::array kNumberKeys = {
    CKeyName{"user_id", kUserId},        CKeyName{"total_cnt", kCount},
    CKeyName{"total_cpu", kCpu},         CKeyName{"total_elap", kElapsed},
    CKeyName{"total_disk", kDisk},       CKeyName{"total_query", kQuery},
    CKeyName{"total_current", kCurrent}, CKeyName{"total_rows", kRows},
    CKeyName{"parse_miss", kParseMiss},  CKeyName{"exec_miss", kExecMiss}};

std::string_view TextOf(const CStatementRecord& record, int key) {
    switch (key) {
    case kOctName:
        return record.m_strOctName;
    case kPid:
        return record.m_strPid;
    case kSql:
        return record.GetSql();
    default:
        return record.m_strError;
    }
}

std::int64_t NumberOf(const CStatementRecord& record, int key) {
    switch (key) {
    case kUserId:
        return record.m_nUserId;
    case kCount:
        return record.m_total.count;
    case kCpu:
        return record.m_total.cpu;
    case kElapsed:
        return record.m_total.elapsed;
    case kDisk:
        return record.m_total.disk;
    case kQuery:
        return record.m_total.query;
    case kCurrent:
        return record.m_total.current;
    case kRows:
        return record.m_total.rows;
    case kParseMiss:
        return record.m_parse.misses;
    default:
        return record.m_exec.misses;
    }
}

} // namespace

CRecordOrder::CRecordOrder(std::string_view key, int direction) : m_nDirection(direction) {
    for (const CKeyName& entry : kTextKeys) {
        if (entry.name == key) {
            m_kind = Kind::Text;
            m_nKey = entry.key;
        }
    }
    for (const CKeyName& entry : kNumberKeys) {
        if (entry.name == key) {
            m_kind = Kind::Number;
            m_nKey = entry.key;
        }
    }
}

std::string_view CRecordOrder::Text(const CStatementRecord& record) const {
    return TextOf(record, m_nKey);
}

std::int64_t CRecordOrder::Number(const CStatementRecord& record) const {
    return NumberOf(record, m_nKey);
}

int CRecordOrder::CompareText(std::string_view current, std::string_view previous) const {
    const int order = current.compare(previous);
    return (order > 0 ? 1 : (order < 0 ? -1 : 0)) * m_nDirection;
}

int CRecordOrder::CompareNumber(std::int64_t current, std::int64_t previous) const {
    return (current < previous ? 1 : (current > previous ? -1 : 0)) * m_nDirection;
}

int CRecordOrder::Compare(const CStatementRecord& current, const CStatementRecord& previous) const {
    switch (m_kind) {
    case Kind::Text:
        return CompareText(Text(current), Text(previous));
    case Kind::Number:
        return CompareNumber(Number(current), Number(previous));
    default:
        return 0;
    }
}
