#pragma once

#include "CSharedText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// One copy of a text that comes again: the statements of a piece of a file that run the same
// SQL text again share one copy of it. The texts made last are kept in a table of a fixed
// size, each in the slot of its hash, so a look-up costs no allocation; a text whose slot
// another took since is copied again.
class CSharedTexts {
public:
    // The copy kept for `text`, or a new one. `hash` is what equal texts are known to share
    // (the server's hash value of a SQL text), so the bytes need no hashing of their own; 0
    // when none is known.
    CSharedText Share(std::string_view text, std::int64_t hash);
    // Lets the kept copies go.
    void Clear() { m_slots = {}; }

private:
    struct CSlot {
        std::size_t hash = 0;
        CSharedText text;
    };

    static constexpr std::size_t kSlots = 4096;

    std::vector<CSlot> m_slots; // none until the first text
};
