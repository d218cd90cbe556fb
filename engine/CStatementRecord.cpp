#include "CStatementRecord.h"

#include <algorithm>

namespace {

bool SameFile(const std::shared_ptr<const CTraceFileSnapshot>& a,
              const std::shared_ptr<const CTraceFileSnapshot>& b) {
    return a == b || (a != nullptr && b != nullptr && *a == *b);
}

} // namespace

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
    return static_cast<const CCursorFigures&>(*this) == other && m_nUserId == other.m_nUserId &&
           m_nDepth == other.m_nDepth && Pid() == other.Pid() &&
           m_strOctName == other.m_strOctName && m_rare == other.m_rare && m_sql == other.m_sql &&
           SqlId() == other.SqlId() && m_nHashValue == other.m_nHashValue &&
           m_tags == other.m_tags && SameFile(m_file, other.m_file) &&
           m_nBlockOffset == other.m_nBlockOffset && m_nBlockBytes == other.m_nBlockBytes &&
           m_nSerial == other.m_nSerial && m_bCursorBlock == other.m_bCursorBlock &&
           m_bHasRest == other.m_bHasRest;
}
