#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A map from cursor numbers to numbers, for the lookups a trace reader makes on almost every
// line: open addressing with linear probing in one array of 16-byte slots, at most three
// quarters full, so a lookup touches one or two cache lines and an insertion allocates only
// when the table doubles. A free slot holds the largest number as its key; that number, which
// a hostile file may write, is kept beside the table.
class CCursorMap {
public:
    // The value of a number, or nullptr when the map has none.
    const std::uint64_t* Find(std::uint64_t cursor) const;
    std::uint64_t* Find(std::uint64_t cursor);
    // Sets the value of a number.
    void Set(std::uint64_t cursor, std::uint64_t value);
    // The value of a number, inserting `value` first when the map has none; `added` tells.
    std::uint64_t& FindOrAdd(std::uint64_t cursor, std::uint64_t value, bool& added);
    std::size_t Size() const { return m_nSize + (m_bHasFreeKey ? 1 : 0); }
    void Clear();

    // Visits every number with its value, in no particular order.
    template <typename Visit> void ForEach(Visit&& visit) const {
        for (const CSlot& slot : m_slots) {
            if (slot.cursor != kFree) {
                visit(slot.cursor, slot.value);
            }
        }
        if (m_bHasFreeKey) {
            visit(kFree, m_nFreeKeyValue);
        }
    }
    template <typename Visit> void ForEach(Visit&& visit) {
        for (CSlot& slot : m_slots) {
            if (slot.cursor != kFree) {
                visit(slot.cursor, slot.value);
            }
        }
        if (m_bHasFreeKey) {
            visit(kFree, m_nFreeKeyValue);
        }
    }

private:
    static constexpr std::uint64_t kFree = UINT64_MAX;

    struct CSlot {
        std::uint64_t cursor = kFree;
        std::uint64_t value = 0;
    };

    std::size_t SlotOf(std::uint64_t cursor) const;
    void Grow();

    std::vector<CSlot> m_slots;
    std::size_t m_nSize = 0; // used slots
    bool m_bHasFreeKey = false;
    std::uint64_t m_nFreeKeyValue = 0;
};
