#include "CStatementRecord.h"

#include <array>

// Records are most of what a reader holds: 240 bytes, the figures' 168 with the header, the
// block's place, the SQL id as a number and one pointer each for the context, the SQL text
// and the rare part, leave one byte free. A member more must find room, not grow them all.
static_assert(sizeof(CStatementRecord) <= 240);

namespace {

// Servers write a SQL id as a 64-bit number in base 32, most significant digit first, in 13
// digits of this alphabet (so the first is at most 'g'). Any first digit is held, as other
// writers' ids may have them.
constexpr std::string_view kSqlIdDigits = "0123456789abcdfghjkmnpqrstuvwxyz";
constexpr std::size_t kSqlIdLength = 13;

constexpr std::array<std::int8_t, 256> SqlIdDigitValues() {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (std::size_t i = 0; i < kSqlIdDigits.size(); ++i) {
        values[static_cast<unsigned char>(kSqlIdDigits[i])] = static_cast<std::int8_t>(i);
    }
    return values;
}

constexpr std::array<std::int8_t, 256> kSqlIdDigitValues = SqlIdDigitValues();

// The digits of `sqlId`: the first in `lead`, the others in `rest`; false for an id written
// otherwise.
bool PackSqlId(std::string_view sqlId, std::uint8_t& lead, std::uint64_t& rest) {
    if (sqlId.size() != kSqlIdLength) {
        return false;
    }
    std::uint64_t value = 0;
    for (const char c : sqlId.substr(1)) {
        const std::int8_t digit = kSqlIdDigitValues[static_cast<unsigned char>(c)];
        if (digit < 0) {
            return false;
        }
        value = (value << 5) | static_cast<std::uint64_t>(digit);
    }
    const std::int8_t first = kSqlIdDigitValues[static_cast<unsigned char>(sqlId[0])];
    if (first < 0) {
        return false;
    }
    lead = static_cast<std::uint8_t>(first);
    rest = value;
    return true;
}

std::string UnpackSqlId(std::uint8_t lead, std::uint64_t rest) {
    std::string sqlId(kSqlIdLength, kSqlIdDigits[lead]);
    for (std::size_t i = kSqlIdLength; i-- > 1; rest >>= 5) {
        sqlId[i] = kSqlIdDigits[rest & 31];
    }
    return sqlId;
}

} // namespace

void CStatementRecord::SetUserId(std::int64_t userId) {
    StoreNarrow(userId, static_cast<std::int32_t>(userId),
                userId >= INT32_MIN && userId <= INT32_MAX, m_nUserId, &CRare::userId);
}

void CStatementRecord::SetDepth(std::int64_t depth) {
    StoreNarrow(depth, static_cast<std::int8_t>(depth), depth >= INT8_MIN && depth <= INT8_MAX,
                m_nDepth, &CRare::depth);
}

// Hash values are unsigned 32-bit numbers, held by their bits.
void CStatementRecord::SetHashValue(std::int64_t hashValue) {
    StoreNarrow(hashValue, static_cast<std::int32_t>(static_cast<std::uint32_t>(hashValue)),
                hashValue >= 0 && hashValue <= UINT32_MAX, m_nHashValue, &CRare::hashValue);
}

// A full value no longer needed is cleared, so that records compare by their values.
template <class TNarrow>
void CStatementRecord::StoreNarrow(std::int64_t value, TNarrow narrowed, bool fits, TNarrow& narrow,
                                   std::int64_t CRare::*full) {
    if (fits && narrowed != kWide<TNarrow>) {
        narrow = narrowed;
        if (m_rare.Get().*full != 0) {
            m_rare.Edit().*full = 0;
        }
        return;
    }
    narrow = kWide<TNarrow>;
    m_rare.Edit().*full = value;
}

std::string CStatementRecord::SqlId() const {
    return m_nSqlIdLead != 0
               ? UnpackSqlId(static_cast<std::uint8_t>(m_nSqlIdLead - 1), m_nSqlIdRest)
               : m_rare.Get().sqlId;
}

// An id is held in one way only, so that the rare parts of records with the same id compare
// equal.
void CStatementRecord::SetSqlId(std::string_view sqlId) {
    std::uint8_t lead = 0;
    std::uint64_t rest = 0;
    if (PackSqlId(sqlId, lead, rest)) {
        m_nSqlIdLead = static_cast<std::uint8_t>(lead + 1);
        m_nSqlIdRest = rest;
        if (!m_rare.Get().sqlId.empty()) {
            m_rare.Edit().sqlId.clear();
        }
        return;
    }
    m_nSqlIdLead = 0;
    m_nSqlIdRest = 0;
    if (!sqlId.empty() || !m_rare.Get().sqlId.empty()) {
        m_rare.Edit().sqlId = sqlId;
    }
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
