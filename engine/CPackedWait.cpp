#include "CPackedWait.h"

#include <limits>

namespace {

bool Fits(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

std::optional<CPackedWait> CPackedWait::Of(const CWaitFigures& waits) {
    if (waits.event == kSpilled || !Fits(waits.count) || !Fits(waits.max) || !Fits(waits.total)) {
        return std::nullopt;
    }
    CPackedWait packed;
    packed.m_nEvent = waits.event;
    packed.m_nCount = static_cast<std::int32_t>(waits.count);
    packed.m_nMax = static_cast<std::int32_t>(waits.max);
    packed.m_nTotal = static_cast<std::int32_t>(waits.total);
    return packed;
}

CPackedWait CPackedWait::Spilled(std::uint64_t index) {
    CPackedWait packed;
    packed.m_nEvent = kSpilled;
    packed.m_nCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(index));
    packed.m_nMax = static_cast<std::int32_t>(static_cast<std::uint32_t>(index >> 32));
    return packed;
}

std::uint64_t CPackedWait::SpillIndex() const {
    return static_cast<std::uint32_t>(m_nCount) | std::uint64_t{static_cast<std::uint32_t>(m_nMax)}
                                                      << 32;
}
