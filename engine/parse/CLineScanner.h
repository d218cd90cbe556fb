#pragma once

#include "TraceText.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Reads a line from left to right in the layout servers write it in. Anything else on the
// way makes it fail, and the caller reads the line by the general rules, which give the same
// figures for a line in that layout.
class CLineScanner {
public:
    CLineScanner(std::string_view line, std::size_t from)
        : m_p(line.data() + from), m_end(line.data() + line.size()) {}

    bool Ok() const { return m_bOk; }
    bool AtEnd() const { return m_p == m_end; }
    const char* Position() const { return m_p; }

    bool Expect(std::string_view text) {
        if (m_bOk && static_cast<std::size_t>(m_end - m_p) >= text.size() &&
            std::memcmp(m_p, text.data(), text.size()) == 0) {
            m_p += text.size();
        } else {
            m_bOk = false;
        }
        return m_bOk;
    }
    bool Skip(char c) {
        while (m_p != m_end && *m_p == c) {
            ++m_p;
        }
        return m_bOk;
    }
    // Plain decimal digits, one to eighteen of them. Longer runs are refused (the slow path
    // saturates them); unsigned arithmetic keeps the refused value's overflow defined.
    std::int64_t Digits() {
        if (!m_bOk) {
            return 0;
        }
        const CDigitRun run = ReadDigitRun(m_p, m_end);
        m_bOk = run.count > 0 && run.count <= 18;
        m_p += run.count;
        return static_cast<std::int64_t>(run.value);
    }
    // The text up to the next `c`, stepping over it.
    std::string_view Until(char c) {
        const void* found =
            m_bOk ? std::memchr(m_p, c, static_cast<std::size_t>(m_end - m_p)) : nullptr;
        if (found == nullptr) {
            m_bOk = false;
            return {};
        }
        const std::string_view text(
            m_p, static_cast<std::size_t>(static_cast<const char*>(found) - m_p));
        m_p += text.size() + 1;
        return text;
    }

private:
    const char* m_p;
    const char* m_end;
    bool m_bOk = true;
};
