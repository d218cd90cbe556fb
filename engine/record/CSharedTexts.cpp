#include "CSharedTexts.h"

#include <functional>

CSharedText CSharedTexts::Share(std::string_view text, std::int64_t hash) {
    // Texts without a known hash are told apart by their bytes; the length parts texts whose
    // hash ties.
    const std::size_t key =
        (hash == 0 ? std::hash<std::string_view>()(text) : std::hash<std::int64_t>()(hash)) ^
        text.size();
    if (m_slots.empty()) {
        m_slots.resize(kSlots);
    }
    CSlot& slot = m_slots[key % kSlots];
    if (slot.hash != key || slot.text.View() != text) {
        slot = CSlot{key, CSharedText(text)};
    }
    return slot.text;
}
