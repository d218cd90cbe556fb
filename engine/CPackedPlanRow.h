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

    static std::optional<CPackedPlanRow> Of(const CPlanRow& row);
    // Stands for the row kept apart at `index`.
    static CPackedPlanRow Spilled(std::uint64_t index);
    bool IsSpilled() const { return m_nId == kSpilled; }
    std::uint64_t SpillIndex() const { return m_nText; }
    CPlanRow Unpack() const;

private:
    // An id no packed row has: a row with it does not fit.
    static constexpr std::int16_t kSpilled = INT16_MIN;

    std::uint64_t m_nText = 0; // the offset in the low 40 bits, the length above; or the index
    std::int32_t m_nRows = 0;
    std::int16_t m_nId = 0;
    std::int16_t m_nParentId = 0;
};
