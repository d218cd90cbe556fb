#include "CSharedText.h"

#include <algorithm>
#include <new>
#include <utility>

CSharedText::CSharedText(std::string_view text) : CSharedText(text, {}) {}

CSharedText::CSharedText(std::string_view first, std::string_view second) {
    const std::size_t size = first.size() + second.size();
    if (size == 0) {
        return;
    }
    void* const memory = ::operator new(sizeof(CHeader) + size);
    m_header = new (memory) CHeader{1, size};
    char* const bytes = reinterpret_cast<char*>(m_header + 1);
    std::copy(second.begin(), second.end(), std::copy(first.begin(), first.end(), bytes));
}

CSharedText::CSharedText(const CSharedText& other) noexcept : m_header(other.m_header) {
    if (m_header != nullptr) {
        m_header->owners.fetch_add(1, std::memory_order_relaxed);
    }
}

CSharedText::CSharedText(CSharedText&& other) noexcept
    : m_header(std::exchange(other.m_header, nullptr)) {}

CSharedText& CSharedText::operator=(const CSharedText& other) noexcept {
    CSharedText copy(other);
    std::swap(m_header, copy.m_header);
    return *this;
}

CSharedText& CSharedText::operator=(CSharedText&& other) noexcept {
    if (this != &other) {
        Release();
        m_header = std::exchange(other.m_header, nullptr);
    }
    return *this;
}

CSharedText::~CSharedText() {
    Release();
}

std::string_view CSharedText::View() const {
    if (m_header == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(m_header + 1), m_header->size};
}

CSharedText CSharedText::Plus(std::string_view more) const {
    return more.empty() ? *this : CSharedText(View(), more);
}

// The last owner frees the allocation: the owners' count is dropped with release order, and
// the freeing owner acquires, so every owner's reads of the bytes come before the free.
void CSharedText::Release() noexcept {
    if (m_header != nullptr && m_header->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        m_header->~CHeader();
        ::operator delete(m_header);
    }
    m_header = nullptr;
}
