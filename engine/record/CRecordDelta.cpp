#include "CRecordDelta.h"

#include "CStatementRecord.h"

void CRecordDelta::ApplyTo(CStatementRecord& record) const {
    if (!nodeAppend.empty()) {
        record.EditNode() += nodeAppend;
    }
    record.AppendSql(sqlAppend);
    record.m_bHasRest = record.m_bHasRest || hasRest;
    record.Absorb(figures);
}
