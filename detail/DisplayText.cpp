#include "DisplayText.h"

#include <cstddef>
#include <cstdint>

namespace {

// Length of the well-formed UTF-8 sequence at `pos` with its code point, or 0 when the
// bytes there are not one (overlong forms, surrogates and values above U+10FFFF included).
std::size_t SequenceAt(std::string_view bytes, std::size_t pos, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[pos + i]);
        if ((next & 0xC0u) != 0x80u) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF) {
        return 0;
    }
    return length;
}

} // namespace

QString DecodeForDisplay(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80) {
            text.append(QChar(static_cast<char16_t>(byte)));
            ++pos;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = SequenceAt(bytes, pos, codePoint);
        if (length == 0) {
            text.append(QChar(static_cast<char16_t>(byte))); // the byte's Latin-1 character
            ++pos;
            continue;
        }
        const char32_t one[] = {codePoint};
        text.append(QString::fromUcs4(one, 1));
        pos += length;
    }
    return text;
}
