#include "CRecordDelta.h"

#include "CStatementRecord.h"

void CRecordDelta::ApplyTo(CStatementRecord& record) const {
    record.m_strNode += nodeAppend;
    if (hasPositions) {
        record.m_nSqlLength = sqlLength;
        record.m_nRestStart = restStart;
    }
    record.Absorb(figures);
}
