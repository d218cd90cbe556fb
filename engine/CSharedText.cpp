#include "CSharedText.h"

#include <algorithm>

CSharedText::CSharedText(std::string_view text) : CSharedText(text, {}) {}

CSharedText::CSharedText(std::string_view first, std::string_view second)
    : m_nSize(first.size() + second.size()) {
    if (m_nSize == 0) {
        return;
    }
    std::shared_ptr<char[]> bytes = std::make_shared_for_overwrite<char[]>(m_nSize);
    std::copy(second.begin(), second.end(), std::copy(first.begin(), first.end(), bytes.get()));
    m_bytes = std::move(bytes);
}

CSharedText CSharedText::Plus(std::string_view more) const {
    return more.empty() ? *this : CSharedText(View(), more);
}
