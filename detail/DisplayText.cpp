#include "DisplayText.h"

#include "Utf8Text.h"

QString DecodeForDisplay(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t codePoint = 0;
        const std::size_t length = Utf8SequenceAt(bytes, pos, codePoint);
        if (length == 0) {
            // the byte's Latin-1 character
            text.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]))));
            ++pos;
            continue;
        }
        if (codePoint < 0x10000) {
            text.append(QChar(static_cast<char16_t>(codePoint)));
        } else {
            const char32_t one[] = {codePoint};
            text.append(QString::fromUcs4(one, 1));
        }
        pos += length;
    }
    return text;
}
