#include "CReadFingerprint.h"

#include <algorithm>
#include <functional>

std::int64_t CReadFingerprint::LengthAt(std::int64_t position) {
    return std::min(kBytes, position);
}

void CReadFingerprint::Take(std::int64_t position, std::string_view head, std::string_view tail) {
    m_nPosition = position;
    m_nHeadHash = Hash(head);
    m_nTailHash = Hash(tail);
}

void CReadFingerprint::MoveTo(std::int64_t position, std::string_view bytes, std::int64_t start) {
    const auto length = static_cast<std::size_t>(LengthAt(position));
    if (start == 0) {
        m_nHeadHash = Hash(bytes.substr(0, length));
    }
    m_nTailHash = Hash(bytes.substr(static_cast<std::size_t>(position - start) - length, length));
    m_nPosition = position;
}

bool CReadFingerprint::TakeFrom(std::int64_t position, const FRead& read, std::string& error) {
    const std::int64_t length = LengthAt(position);
    std::string head;
    std::string tail;
    if (!read(0, length, head, error) || !read(position - length, length, tail, error)) {
        return false;
    }
    Take(position, head, tail);
    return true;
}

bool CReadFingerprint::MatchesIn(const FRead& read, bool& matches, std::string& error) const {
    const std::int64_t length = Length();
    std::string head;
    std::string tail;
    if (!read(0, length, head, error) || !read(m_nPosition - length, length, tail, error)) {
        return false;
    }
    matches = HeadMatches(head) && TailMatches(tail);
    return true;
}

std::size_t CReadFingerprint::Hash(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes);
}
