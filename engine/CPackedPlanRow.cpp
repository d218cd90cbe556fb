#include "CPackedPlanRow.h"

#include <limits>

namespace {

constexpr int kOffsetBits = 40;
constexpr std::uint64_t kOffsetLimit = std::uint64_t{1} << kOffsetBits;
constexpr std::uint32_t kLengthLimit = std::uint32_t{1} << (64 - kOffsetBits);

template <class T> bool Fits(std::int64_t value) {
    return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
}

} // namespace

std::optional<CPackedPlanRow> CPackedPlanRow::Of(const CPlanRow& row) {
    if (!Fits<std::int16_t>(row.id) || row.id == kSpilled || !Fits<std::int16_t>(row.parentId) ||
        !Fits<std::int32_t>(row.rows) || row.textOffset >= kOffsetLimit ||
        row.textLength >= kLengthLimit) {
        return std::nullopt;
    }
    CPackedPlanRow packed;
    packed.m_nText = row.textOffset | std::uint64_t{row.textLength} << kOffsetBits;
    packed.m_nRows = static_cast<std::int32_t>(row.rows);
    packed.m_nId = static_cast<std::int16_t>(row.id);
    packed.m_nParentId = static_cast<std::int16_t>(row.parentId);
    return packed;
}

CPackedPlanRow CPackedPlanRow::Spilled(std::uint64_t index) {
    CPackedPlanRow packed;
    packed.m_nText = index;
    packed.m_nId = kSpilled;
    return packed;
}

CPlanRow CPackedPlanRow::Unpack() const {
    return CPlanRow{m_nId, m_nParentId, m_nRows, m_nText & (kOffsetLimit - 1),
                    static_cast<std::uint32_t>(m_nText >> kOffsetBits)};
}
