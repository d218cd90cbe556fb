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
    auto* const header = new (memory) CHeader{0, size};
    char* const bytes = reinterpret_cast<char*>(header + 1);
    std::copy(second.begin(), second.end(), std::copy(first.begin(), first.end(), bytes));
    m_header = CSharedRef<const CHeader>(header);
}

std::string_view CSharedText::View() const {
    const CHeader* const header = m_header.Get();
    if (header == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(header + 1), header->size};
}

CSharedText CSharedText::Plus(std::string_view more) const {
    return more.empty() ? *this : CSharedText(View(), more);
}

void CSharedText::CHeader::Free(const CHeader* header) {
    header->~CHeader();
    ::operator delete(const_cast<CHeader*>(header));
}
