#pragma once

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
    CSharedText(const CSharedText& other) noexcept;
    CSharedText(CSharedText&& other) noexcept;
    CSharedText& operator=(const CSharedText& other) noexcept;
    CSharedText& operator=(CSharedText&& other) noexcept;
    ~CSharedText();

    std::string_view View() const;
    // This text followed by `more`.
    CSharedText Plus(std::string_view more) const;

    // Equal when the bytes are, shared or not.
    bool operator==(const CSharedText& other) const { return View() == other.View(); }

private:
    // The start of an allocation; the bytes follow it.
    struct CHeader {
        std::atomic<std::size_t> owners;
        std::size_t size;
    };

    // `first` followed by `second`.
    CSharedText(std::string_view first, std::string_view second);
    void Release() noexcept;

    CHeader* m_header = nullptr;
};
