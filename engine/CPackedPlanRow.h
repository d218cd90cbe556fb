#pragma once

#include "CPlanRow.h"

#include <cstdint>
#include <optional>

// A plan row in 16 bytes instead of 40: ids within 16 bits, rows within 32 bits, and the text
// within the first TiB of its file and shorter than 16 MiB, as the rows of real plans are. A
// row beyond that does not fit, and is kept in full apart (CPackedVector).
class CPackedPlanRow {
public:
    using CValue = CPlanRow;

    static std::optional<CPackedPlanRow> Of(const CPlanRow& row) {
        if (!Fits<std::int16_t>(row.id) || row.id == kSpilled ||
            !Fits<std::int16_t>(row.parentId) || !Fits<std::int32_t>(row.rows) ||
            row.textOffset >= kOffsetLimit || row.textLength >= kLengthLimit) {
            return std::nullopt;
        }
        CPackedPlanRow packed;
        packed.m_nText = row.textOffset | std::uint64_t{row.textLength} << kOffsetBits;
        packed.m_nRows = static_cast<std::int32_t>(row.rows);
        packed.m_nId = static_cast<std::int16_t>(row.id);
        packed.m_nParentId = static_cast<std::int16_t>(row.parentId);
        return packed;
    }
    // Stands for the row kept apart at `index`.
    static CPackedPlanRow Spilled(std::uint64_t index);
    bool IsSpilled() const { return m_nId == kSpilled; }
    std::uint64_t SpillIndex() const { return m_nText; }
    CPlanRow Unpack() const {
        return CPlanRow{m_nId, m_nParentId, m_nRows, m_nText & (kOffsetLimit - 1),
                        static_cast<std::uint32_t>(m_nText >> kOffsetBits)};
    }

private:
    // An id no packed row has: a row with it does not fit.
    static constexpr std::int16_t kSpilled = INT16_MIN;
    static constexpr int kOffsetBits = 40;
    static constexpr std::uint64_t kOffsetLimit = std::uint64_t{1} << kOffsetBits;
    static constexpr std::uint32_t kLengthLimit = std::uint32_t{1} << (64 - kOffsetBits);

    template <class T> static bool Fits(std::int64_t value) {
        return value == static_cast<T>(value);
    }

    std::uint64_t m_nText = 0; // the offset in the low 40 bits, the length above; or the index
    std::int32_t m_nRows = 0;
    std::int16_t m_nId = 0;
    std::int16_t m_nParentId = 0;
};
