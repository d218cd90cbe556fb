#include "CStatementRecord.h"

#include <algorithm>

void CStatementRecord::SetUserId(std::int64_t userId) {
    StoreNarrow(userId, static_cast<std::int32_t>(userId),
                userId >= INT32_MIN && userId <= INT32_MAX, m_nUserId, &CRare::userId);
}

void CStatementRecord::SetDepth(std::int64_t depth) {
    StoreNarrow(depth, static_cast<std::int32_t>(depth), depth >= INT32_MIN && depth <= INT32_MAX,
                m_nDepth, &CRare::depth);
}

// Hash values are unsigned 32-bit numbers, held by their bits.
void CStatementRecord::SetHashValue(std::int64_t hashValue) {
    StoreNarrow(hashValue, static_cast<std::int32_t>(static_cast<std::uint32_t>(hashValue)),
                hashValue >= 0 && hashValue <= UINT32_MAX, m_nHashValue, &CRare::hashValue);
}

// A full value no longer needed is cleared, so that records compare by their values.
void CStatementRecord::StoreNarrow(std::int64_t value, std::int32_t narrowed, bool fits,
                                   std::int32_t& narrow, std::int64_t CRare::*full) {
    if (fits && narrowed != kWide) {
        narrow = narrowed;
        if (m_rare.Get().*full != 0) {
            m_rare.Edit().*full = 0;
        }
        return;
    }
    narrow = kWide;
    m_rare.Edit().*full = value;
}

void CStatementRecord::SetSqlId(std::string_view sqlId) {
    if (sqlId.size() <= kInlineSqlId) {
        std::copy(sqlId.begin(), sqlId.end(), m_sqlId);
        m_nSqlIdLength = static_cast<std::uint8_t>(sqlId.size());
        if (!m_rare.Get().sqlId.empty()) {
            m_rare.Edit().sqlId.clear();
        }
        return;
    }
    m_nSqlIdLength = kInlineSqlId + 1;
    m_rare.Edit().sqlId = sqlId;
}

bool CStatementRecord::operator==(const CStatementRecord& other) const {
    return static_cast<const CCursorFigures&>(*this) == other && UserId() == other.UserId() &&
           Depth() == other.Depth() && OctName() == other.OctName() && m_rare == other.m_rare &&
           m_sql == other.m_sql && m_bSqlInFile == other.m_bSqlInFile && SqlId() == other.SqlId() &&
           HashValue() == other.HashValue() && Context() == other.Context() &&
           m_nBlockOffset == other.m_nBlockOffset && m_nBlockBytes == other.m_nBlockBytes &&
           m_nSerial == other.m_nSerial && m_bCursorBlock == other.m_bCursorBlock &&
           m_bHasRest == other.m_bHasRest;
}
