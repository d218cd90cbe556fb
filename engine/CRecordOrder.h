#pragma once

#include "CStatementRecord.h"

#include <string_view>

// The order of the statement list's sort keys. Compare answers +1 when `current` belongs
// before `previous` for the direction: text keys put the byte-wise greater text first for
// +1, number keys the smaller value; any other key answers 0.
class CRecordOrder {
public:
    CRecordOrder(std::string_view key, int direction);

    int Compare(const CStatementRecord& current, const CStatementRecord& previous) const;
    bool IsKnown() const { return m_kind != Kind::Unknown; }

private:
    enum class Kind { Unknown, Text, Number };
    Kind m_kind = Kind::Unknown;
    int m_nKey = -1;
    int m_nDirection;
};
