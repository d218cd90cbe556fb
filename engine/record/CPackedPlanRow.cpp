#include "CPackedPlanRow.h"

static_assert(sizeof(CPackedPlanRow) == 12);

CPackedPlanRow CPackedPlanRow::Spilled(std::uint64_t index) {
    CPackedPlanRow packed;
    packed.m_nOffset = static_cast<std::uint32_t>(index);
    packed.m_nTextAndId = static_cast<std::uint32_t>(kSpilled) << kIdShift;
    return packed;
}
