#include "CStatementRecord.h"

#include <array>

// Records are most of what a reader holds: 240 bytes, the figures' 168 with the header, the
// block's place, the SQL id as a number and one pointer each for the context, the SQL text
// and the rare part, leave one byte free. A member more must find room, not grow them all.
static_assert(sizeof(CStatementRecord) <= 240);

namespace {

// Servers write a SQL id as a 64-bit number in base 32, most significant digit first, in 13
// digits of this alphabet; the first takes the 4 bits left and is at most 'f'.
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

// The number `sqlId` writes, or false for an id written otherwise.
bool PackSqlId(std::string_view sqlId, std::uint64_t& packed) {
    if (sqlId.size() != kSqlIdLength) {
        return false;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sqlId.size(); ++i) {
        const std::int8_t digit = kSqlIdDigitValues[static_cast<unsigned char>(sqlId[i])];
        if (digit < 0 || (i == 0 && digit >= 16)) {
            return false;
        }
        value = (value << 5) | static_cast<std::uint64_t>(digit);
    }
    packed = value;
    return true;
}

std::string UnpackSqlId(std::uint64_t packed) {
    std::string sqlId(kSqlIdLength, '0');
    for (std::size_t i = kSqlIdLength; i-- > 0;) {
        sqlId[i] = kSqlIdDigits[packed & 31];
        packed >>= 5;
    }
    return sqlId;
}

} // namespace

void CStatementRecord::SetUserId(std::int64_t userId) {
    StoreNarrow(userId, static_cast<std::int32_t>(userId),
                userId >= INT32_MIN && userId <= INT32_MAX, m_nUserId, &CRare::userId);
}

void CStatementRecord::SetDepth(std::int64_t depth) {
    StoreNarrow(depth, static_cast<std::int16_t>(depth), depth >= INT16_MIN && depth <= INT16_MAX,
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
    return m_nSqlId != kNoPackedSqlId ? UnpackSqlId(m_nSqlId) : m_rare.Get().sqlId;
}

// An id is held in one way only, so that records compare by their members: the id whose
// number is kNoPackedSqlId is kept apart like one not written as a number.
void CStatementRecord::SetSqlId(std::string_view sqlId) {
    std::uint64_t packed = kNoPackedSqlId;
    if (PackSqlId(sqlId, packed) && packed != kNoPackedSqlId) {
        m_nSqlId = packed;
        if (!m_rare.Get().sqlId.empty()) {
            m_rare.Edit().sqlId.clear();
        }
        return;
    }
    m_nSqlId = kNoPackedSqlId;
    if (!sqlId.empty() || !m_rare.Get().sqlId.empty()) {
        m_rare.Edit().sqlId = sqlId;
    }
}

bool CStatementRecord::operator==(const CStatementRecord& other) const {
    return static_cast<const CCursorFigures&>(*this) == other && UserId() == other.UserId() &&
           Depth() == other.Depth() && OctName() == other.OctName() && m_rare == other.m_rare &&
           m_sql == other.m_sql && m_nSqlId == other.m_nSqlId && HashValue() == other.HashValue() &&
           Context() == other.Context() && m_nBlockOffset == other.m_nBlockOffset &&
           m_nBlockBytes == other.m_nBlockBytes && m_nSerial == other.m_nSerial &&
           m_bCursorBlock == other.m_bCursorBlock && m_bHasRest == other.m_bHasRest;
}
