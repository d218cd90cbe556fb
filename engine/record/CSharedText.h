#pragma once

#include "CSharedRef.h"

#include <atomic>
#include <cstddef>
#include <string_view>

// Bytes that never change once made, which many owners may hold: copies share one
// allocation, which holds the owners' count and the size before the bytes, so an owner pays
// one pointer. An empty text allocates nothing.
class CSharedText {
public:
    CSharedText() = default;
    explicit CSharedText(std::string_view text);

    std::string_view View() const;
    // This text followed by `more`.
    CSharedText Plus(std::string_view more) const;

    // Equal when the bytes are, shared or not.
    bool operator==(const CSharedText& other) const { return View() == other.View(); }

private:
    // The start of an allocation; the bytes follow it.
    struct CHeader {
        mutable std::atomic<std::size_t> m_nOwners;
        std::size_t size;

        static void Free(const CHeader* header);
    };

    // `first` followed by `second`.
    CSharedText(std::string_view first, std::string_view second);

    CSharedRef<const CHeader> m_header;
};
