#pragma once

#include "CWaitFigures.h"
#include "PackedSum.h"

#include <algorithm>
#include <cstdint>
#include <optional>

// The waits of one event in 12 bytes instead of 32: an event id below 4095 and fewer than
// 2^20 waits in one word, the longest and the sum of their times within 32 bits each, as
// almost every statement's are. Waits beyond that do not fit, and are kept in full apart
// (CPackedVector).
class CPackedWait {
public:
    using CValue = CWaitFigures;

    static std::optional<CPackedWait> Of(const CWaitFigures& waits) {
        if (waits.event >= kSpilled || waits.count < 0 || waits.count > kCountMask ||
            !FitsIn32Bits(waits.max) || !FitsIn32Bits(waits.total)) {
            return std::nullopt;
        }
        CPackedWait packed;
        packed.m_nEventAndCount = waits.event | static_cast<std::uint32_t>(waits.count)
                                                    << kCountShift;
        packed.m_nMax = static_cast<std::int32_t>(waits.max);
        packed.m_nTotal = static_cast<std::int32_t>(waits.total);
        return packed;
    }
    // Stands for the waits kept apart at `index`.
    static CPackedWait Spilled(std::uint64_t index);
    bool IsSpilled() const { return Event() == kSpilled; }
    std::uint64_t SpillIndex() const;
    CWaitFigures Unpack() const {
        return CWaitFigures{Event(), m_nEventAndCount >> kCountShift, m_nMax, m_nTotal};
    }
    // Whether these are packed waits of `event`.
    bool IsOf(std::uint32_t event) const { return event < kSpilled && Event() == event; }
    // Adds one wait in place; false, changing nothing, when the sums would not fit.
    bool AddOne(std::int64_t elapsed) {
        std::int32_t total = 0;
        if (m_nEventAndCount >> kCountShift >= kCountMask ||
            !AddIn32Bits(m_nTotal, elapsed, total)) {
            return false;
        }
        m_nEventAndCount += 1u << kCountShift;
        m_nMax = std::max(m_nMax, static_cast<std::int32_t>(elapsed));
        m_nTotal = total;
        return true;
    }

private:
    static constexpr int kCountShift = 12;
    static constexpr std::int64_t kCountMask = (1 << 20) - 1;
    // An event no packed waits have: waits of it do not fit.
    static constexpr std::uint32_t kSpilled = (1u << kCountShift) - 1;

    std::uint32_t Event() const { return m_nEventAndCount & kSpilled; }

    std::uint32_t m_nEventAndCount = 0;
    std::int32_t m_nMax = 0; // with m_nTotal, the index of spilled waits
    std::int32_t m_nTotal = 0;
};
