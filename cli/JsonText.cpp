#include "JsonText.h"

#include <array>
#include <cstdio>

namespace {

// The second byte's range depends on the first byte, which rules out overlong forms,
// surrogates (U+D800 to U+DFFF) and values past U+10FFFF.
struct LeadRule {
    unsigned char first;
    unsigned char last;
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

constexpr std::array<LeadRule, 8> kLeadRules = {{{0xC2, 0xDF, 2, 0x80, 0xBF},
                                                 {0xE0, 0xE0, 3, 0xA0, 0xBF},
                                                 {0xE1, 0xEC, 3, 0x80, 0xBF},
                                                 {0xED, 0xED, 3, 0x80, 0x9F},
                                                 {0xEE, 0xEF, 3, 0x80, 0xBF},
                                                 {0xF0, 0xF0, 4, 0x90, 0xBF},
                                                 {0xF1, 0xF3, 4, 0x80, 0xBF},
                                                 {0xF4, 0xF4, 4, 0x80, 0x8F}}};

bool IsContinuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\r':
        out += "\\r";
        break;
    case '\t':
        out += "\\t";
        break;
    default:
        if (c < 0x20 || c == 0x7F) {
            std::array<char, 8> code{};
            std::snprintf(code.data(), code.size(), "\\u%04x", c);
            out += code.data();
        } else {
            out += static_cast<char>(c);
        }
    }
}

} // namespace

std::size_t ValidUtf8Length(std::string_view bytes) {
    if (bytes.empty()) {
        return 0;
    }
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first < 0x80) {
        return 1;
    }
    for (const LeadRule& rule : kLeadRules) {
        if (first < rule.first || first > rule.last) {
            continue;
        }
        if (bytes.size() < rule.length) {
            return 0;
        }
        const auto second = static_cast<unsigned char>(bytes[1]);
        if (second < rule.secondLow || second > rule.secondHigh) {
            return 0;
        }
        for (std::size_t i = 2; i < rule.length; ++i) {
            if (!IsContinuation(static_cast<unsigned char>(bytes[i]))) {
                return 0;
            }
        }
        return rule.length;
    }
    return 0;
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = ValidUtf8Length(bytes.substr(i));
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (length == 1) {
            AppendEscaped(out, c);
        } else if (length > 1) {
            out.append(bytes.substr(i, length));
        } else {
            // The character U+0080 to U+00FF of this byte's value, in UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        i += length > 0 ? length : 1;
    }
    out += '"';
}
