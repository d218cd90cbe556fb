#include "JsonText.h"

#include "CEventNames.h"
#include "Utf8Text.h"

#include <array>
#include <cstdio>

namespace {

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

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t codePoint = 0;
        const std::size_t length = Utf8SequenceAt(bytes, i, codePoint);
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

void AppendJsonNumber(std::string& out, std::string_view name, std::int64_t value) {
    AppendJsonString(out, name);
    out += ':';
    out += std::to_string(value);
}

void AppendJsonWaits(std::string& out, const std::vector<CWaitFigures>& waits) {
    out += '{';
    for (const CWaitFigures& wait : waits) {
        if (&wait != &waits.front()) {
            out += ',';
        }
        AppendJsonString(out, CEventNames::Name(wait.event));
        out += ':';
        out += '{';
        AppendJsonNumber(out, "count", wait.count);
        out += ',';
        AppendJsonNumber(out, "max", wait.max);
        out += ',';
        AppendJsonNumber(out, "total", wait.total);
        out += '}';
    }
    out += '}';
}
