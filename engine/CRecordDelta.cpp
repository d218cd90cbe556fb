#include "CRecordDelta.h"

#include "CStatementRecord.h"

void CRecordDelta::ApplyTo(CStatementRecord& record) const {
    record.m_strNode += nodeAppend;
    record.m_strSql += sqlAppend;
    record.m_bHasRest = record.m_bHasRest || hasRest;
    record.Absorb(figures);
}
