#pragma once

#include "CStatementRecord.h"

#include <cstdint>
#include <string_view>

// The order of the statement list's sort keys. A comparison answers +1 when `current`
// belongs before `previous` for the direction: text keys put the byte-wise greater text
// first for +1, number keys the smaller value; any other key answers 0.
class CRecordOrder {
public:
    CRecordOrder(std::string_view key, int direction);

    bool IsKnown() const { return m_kind != Kind::Unknown; }
    bool IsText() const { return m_kind == Kind::Text; }

    std::string_view Text(const CStatementRecord& record) const;
    std::int64_t Number(const CStatementRecord& record) const;
    int CompareNumber(std::int64_t current, std::int64_t previous) const;
    int Compare(const CStatementRecord& current, const CStatementRecord& previous) const;

private:
    int CompareText(std::string_view current, std::string_view previous) const;

    enum class Kind { Unknown, Text, Number };
    Kind m_kind = Kind::Unknown;
    int m_nKey = -1;
    int m_nDirection;
};
