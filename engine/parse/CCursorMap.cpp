#include "CCursorMap.h"

namespace {

// Cursor numbers are addresses or small counters: mixing spreads both over the table.
std::size_t Mix(std::uint64_t cursor) {
    cursor ^= cursor >> 33;
    cursor *= 0xff51afd7ed558ccdULL;
    cursor ^= cursor >> 33;
    return static_cast<std::size_t>(cursor);
}

} // namespace

std::size_t CCursorMap::SlotOf(std::uint64_t cursor) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = Mix(cursor) & mask;
    while (m_slots[slot].cursor != kFree && m_slots[slot].cursor != cursor) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

const std::uint64_t* CCursorMap::Find(std::uint64_t cursor) const {
    if (cursor == kFree) {
        return m_bHasFreeKey ? &m_nFreeKeyValue : nullptr;
    }
    if (m_nSize == 0) {
        return nullptr;
    }
    const CSlot& slot = m_slots[SlotOf(cursor)];
    return slot.cursor == cursor ? &slot.value : nullptr;
}

std::uint64_t* CCursorMap::Find(std::uint64_t cursor) {
    return const_cast<std::uint64_t*>(static_cast<const CCursorMap*>(this)->Find(cursor));
}

void CCursorMap::Set(std::uint64_t cursor, std::uint64_t value) {
    bool added = false;
    FindOrAdd(cursor, value, added) = value;
}

std::uint64_t& CCursorMap::FindOrAdd(std::uint64_t cursor, std::uint64_t value, bool& added) {
    if (cursor == kFree) {
        added = !m_bHasFreeKey;
        if (added) {
            m_bHasFreeKey = true;
            m_nFreeKeyValue = value;
        }
        return m_nFreeKeyValue;
    }
    if ((m_nSize + 1) * 4 > m_slots.size() * 3) {
        Grow();
    }
    CSlot& slot = m_slots[SlotOf(cursor)];
    added = slot.cursor == kFree;
    if (added) {
        slot = {cursor, value};
        ++m_nSize;
    }
    return slot.value;
}

void CCursorMap::Clear() {
    m_slots.clear();
    m_nSize = 0;
    m_bHasFreeKey = false;
    m_nFreeKeyValue = 0;
}

void CCursorMap::Grow() {
    std::vector<CSlot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 16 : old.size() * 2, CSlot{});
    for (const CSlot& slot : old) {
        if (slot.cursor != kFree) {
            m_slots[SlotOf(slot.cursor)] = slot;
        }
    }
}
