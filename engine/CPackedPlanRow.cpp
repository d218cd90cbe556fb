#include "CPackedPlanRow.h"

CPackedPlanRow CPackedPlanRow::Spilled(std::uint64_t index) {
    CPackedPlanRow packed;
    packed.m_nText = index;
    packed.m_nId = kSpilled;
    return packed;
}
