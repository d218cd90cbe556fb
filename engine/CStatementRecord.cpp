#include "CStatementRecord.h"

namespace {

bool SameFile(const std::shared_ptr<const CTraceFileSnapshot>& a,
              const std::shared_ptr<const CTraceFileSnapshot>& b) {
    return a == b || (a != nullptr && b != nullptr && *a == *b);
}

} // namespace

bool CStatementRecord::operator==(const CStatementRecord& other) const {
    return static_cast<const CCursorFigures&>(*this) == other && m_nUserId == other.m_nUserId &&
           m_nDepth == other.m_nDepth && Pid() == other.Pid() &&
           m_strOctName == other.m_strOctName && m_rare == other.m_rare && m_sql == other.m_sql &&
           m_strSqlId == other.m_strSqlId && m_nHashValue == other.m_nHashValue &&
           m_tags == other.m_tags && SameFile(m_file, other.m_file) &&
           m_nBlockOffset == other.m_nBlockOffset && m_nBlockBytes == other.m_nBlockBytes &&
           m_nSerial == other.m_nSerial && m_bCursorBlock == other.m_bCursorBlock &&
           m_bHasRest == other.m_bHasRest;
}
