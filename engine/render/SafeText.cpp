#include "SafeText.h"

#include <charconv>
#include <cstdint>

namespace {

bool IsNumber(std::string_view cell) {
    const char* first = cell.data() + (cell.starts_with('+') ? 1 : 0);
    const char* const last = cell.data() + cell.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

// A C0 control other than TAB, CR and LF, or DEL.
bool IsControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f;
}

// A C1 control as UTF-8 (U+0080 to U+009F): two bytes, C2 then 80 to 9F.
bool IsC1At(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xc2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9f;
}

void AppendHex(std::string& text, unsigned char c) {
    constexpr const char* kDigits = "0123456789abcdef";
    text += "\\x";
    text += kDigits[c >> 4];
    text += kDigits[c & 0xf];
}

} // namespace

bool IsFormulaLike(std::string_view cell) {
    return !cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos &&
           !IsNumber(cell);
}

std::string SpreadsheetCell(std::string_view cell) {
    return IsFormulaLike(cell) ? "'" + std::string(cell) : std::string(cell);
}

std::string TerminalText(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsControl(c)) {
            AppendHex(safe, c);
        } else if (IsC1At(text, i)) {
            AppendHex(safe, static_cast<unsigned char>(text[++i]));
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}
