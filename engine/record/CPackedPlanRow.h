#pragma once

#include "CPlanRow.h"

#include <cstdint>
#include <optional>

// A plan row in 12 bytes instead of 40: an id below 16383 with its parent at most 255 ids
// before it, rows below 2^24, and the text within the first 256 GiB of its file and shorter
// than 4096 bytes, as the rows of real plans are. A row beyond that does not fit, and is kept
// in full apart (CPackedVector).
class CPackedPlanRow {
public:
    using CValue = CPlanRow;

    static std::optional<CPackedPlanRow> Of(const CPlanRow& row) {
        // The id is checked first, so that the parent's gap below it cannot overflow.
        if (row.id < 0 || row.id >= kSpilled || row.parentId > row.id ||
            row.parentId < row.id - kGapMask || row.rows < 0 || row.rows > kRowsMask ||
            row.textOffset > kOffsetMask || row.textLength > kLengthMask) {
            return std::nullopt;
        }
        const std::int64_t parentGap = row.id - row.parentId;
        CPackedPlanRow packed;
        packed.m_nOffset = static_cast<std::uint32_t>(row.textOffset);
        packed.m_nTextAndId = static_cast<std::uint32_t>(row.textOffset >> 32) |
                              row.textLength << kLengthShift |
                              static_cast<std::uint32_t>(row.id) << kIdShift;
        packed.m_nRowsAndGap = static_cast<std::uint32_t>(row.rows) |
                               static_cast<std::uint32_t>(parentGap) << kGapShift;
        return packed;
    }
    // Stands for the row kept apart at `index`.
    static CPackedPlanRow Spilled(std::uint64_t index);
    bool IsSpilled() const { return Id() == kSpilled; }
    std::uint64_t SpillIndex() const { return m_nOffset; }

    CPlanRow Unpack() const {
        const std::int64_t id = Id();
        return CPlanRow{id, id - (m_nRowsAndGap >> kGapShift), m_nRowsAndGap & kRowsMask,
                        (std::uint64_t{m_nTextAndId} & kOffsetHighMask) << 32 | m_nOffset,
                        (m_nTextAndId >> kLengthShift) & kLengthMask};
    }

private:
    // The high bits of the offset, the length and the id share a word; the rows and how many
    // ids the parent stands before the row share another.
    static constexpr std::uint32_t kOffsetHighMask = (1u << 6) - 1;
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << 38) - 1;
    static constexpr int kLengthShift = 6;
    static constexpr std::uint32_t kLengthMask = (1u << 12) - 1;
    static constexpr int kIdShift = 18;
    // An id no packed row has: a row with it does not fit.
    static constexpr std::int64_t kSpilled = (1 << 14) - 1;
    static constexpr std::int64_t kRowsMask = (1 << 24) - 1;
    static constexpr int kGapShift = 24;
    static constexpr std::int64_t kGapMask = (1 << 8) - 1;

    std::int64_t Id() const { return m_nTextAndId >> kIdShift; }

    std::uint32_t m_nOffset = 0; // the text's offset's low 32 bits; or the index of a spilled row
    std::uint32_t m_nTextAndId = 0;
    std::uint32_t m_nRowsAndGap = 0;
};
