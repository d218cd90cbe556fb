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

int CRecordOrder::Compare(const CStatementRecord& current, const CStatementRecord& previous) const {
    int result = 0;
    if (m_kind == Kind::Text) {
        const int order = TextOf(current, m_nKey).compare(TextOf(previous, m_nKey));
        result = order > 0 ? 1 : (order < 0 ? -1 : 0);
    } else if (m_kind == Kind::Number) {
        const std::int64_t a = NumberOf(current, m_nKey);
        const std::int64_t b = NumberOf(previous, m_nKey);
        result = a < b ? 1 : (a > b ? -1 : 0);
    }
    return result * m_nDirection;
}
