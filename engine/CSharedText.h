#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// Bytes that never change once made, which many owners may hold: copies share one
// allocation, the owners' count and the bytes together. An empty text allocates nothing.
class CSharedText {
public:
    CSharedText() = default;
    explicit CSharedText(std::string_view text);

    std::string_view View() const { return {m_bytes.get(), m_nSize}; }
    // This text followed by `more`.
    CSharedText Plus(std::string_view more) const;

    // Equal when the bytes are, shared or not.
    bool operator==(const CSharedText& other) const { return View() == other.View(); }

private:
    // `first` followed by `second`.
    CSharedText(std::string_view first, std::string_view second);

    std::shared_ptr<const char[]> m_bytes;
    std::size_t m_nSize = 0;
};
