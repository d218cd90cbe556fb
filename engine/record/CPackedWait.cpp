#include "CPackedWait.h"

static_assert(sizeof(CPackedWait) == 12);

CPackedWait CPackedWait::Spilled(std::uint64_t index) {
    CPackedWait packed;
    packed.m_nEventAndCount = kSpilled;
    packed.m_nMax = static_cast<std::int32_t>(static_cast<std::uint32_t>(index));
    packed.m_nTotal = static_cast<std::int32_t>(static_cast<std::uint32_t>(index >> 32));
    return packed;
}

std::uint64_t CPackedWait::SpillIndex() const {
    return static_cast<std::uint32_t>(m_nMax) | std::uint64_t{static_cast<std::uint32_t>(m_nTotal)}
                                                    << 32;
}
