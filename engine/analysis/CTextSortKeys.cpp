#include "CTextSortKeys.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeadBytes = 16;

} // namespace

// The head holds the first bytes in big-endian order, padded with zero bytes, so comparing
// heads as numbers compares those bytes as memcmp does.
void CTextSortKeys::Set(std::size_t index, std::string_view text) {
    CEntry entry{{0, 0}, m_strRests.size(), text.size()};
    const std::size_t headLength = std::min(text.size(), kHeadBytes);
    for (std::size_t i = 0; i < headLength; ++i) {
        entry.head[i / 8] |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i]))
                             << (56 - 8 * (i % 8));
    }
    m_strRests.append(text.substr(headLength));
    m_entries.at(index) = entry;
}

// Equal heads mean equal first bytes, a shorter text being padded with zeros; the rests and
// then the lengths decide, which also orders a text before a longer one that it begins.
int CTextSortKeys::Compare(std::size_t a, std::size_t b) const {
    const CEntry& x = m_entries[a];
    const CEntry& y = m_entries[b];
    for (int i = 0; i < 2; ++i) {
        if (x.head[i] != y.head[i]) {
            return x.head[i] < y.head[i] ? -1 : 1;
        }
    }
    const std::size_t xRest = x.length - std::min(x.length, kHeadBytes);
    const std::size_t yRest = y.length - std::min(y.length, kHeadBytes);
    const int rests = std::memcmp(m_strRests.data() + x.restOffset,
                                  m_strRests.data() + y.restOffset, std::min(xRest, yRest));
    if (rests != 0) {
        return rests;
    }
    return x.length < y.length ? -1 : (x.length > y.length ? 1 : 0);
}
