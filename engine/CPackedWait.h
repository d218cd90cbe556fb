#pragma once

#include "CWaitFigures.h"
#include "PackedSum.h"

#include <cstdint>
#include <optional>

// The waits of one event in 16 bytes instead of 32: how often, the longest and the sum of
// their times within 32 bits each, as almost every statement's are. Waits beyond that do not
// fit, and are kept in full apart (CPackedVector).
class CPackedWait {
public:
    using CValue = CWaitFigures;

    static std::optional<CPackedWait> Of(const CWaitFigures& waits) {
        if (waits.event == kSpilled || !FitsIn32Bits(waits.count) || !FitsIn32Bits(waits.max) ||
            !FitsIn32Bits(waits.total)) {
            return std::nullopt;
        }
        CPackedWait packed;
        packed.m_nEvent = waits.event;
        packed.m_nCount = static_cast<std::int32_t>(waits.count);
        packed.m_nMax = static_cast<std::int32_t>(waits.max);
        packed.m_nTotal = static_cast<std::int32_t>(waits.total);
        return packed;
    }
    // Stands for the waits kept apart at `index`.
    static CPackedWait Spilled(std::uint64_t index);
    bool IsSpilled() const { return m_nEvent == kSpilled; }
    std::uint64_t SpillIndex() const;
    CWaitFigures Unpack() const { return CWaitFigures{m_nEvent, m_nCount, m_nMax, m_nTotal}; }

private:
    // An event no packed waits have: waits of it do not fit.
    static constexpr std::uint32_t kSpilled = UINT32_MAX;

    std::uint32_t m_nEvent = 0;
    std::int32_t m_nCount = 0; // with m_nMax, the index of spilled waits
    std::int32_t m_nMax = 0;
    std::int32_t m_nTotal = 0;
};
