#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reading rules shared by every line analysis of the engine. All searches are byte-wise
// and case-sensitive.

// The integer after the first `key` in `line`, read up to the first `terminator` at or
// after one past the key's position: leading white space is skipped, an optional sign is
// taken, then decimal digits; no digits give 0. 0 when the key or a later terminator is
// missing. Values beyond 64 bits saturate.
std::int64_t GetNumber(std::string_view line, std::string_view key, std::string_view terminator);

// An optionally signed decimal integer at the start of `text`, after any white space;
// 0 without digits. Values beyond 64 bits saturate.
std::int64_t ParseInteger(std::string_view text);

// The text after the first `key` in `line` up to the next `terminator` (or the end of the
// line); empty when the key does not occur.
std::string_view GetText(std::string_view line, std::string_view key, std::string_view terminator);

// The line walk over a CR LF separated text: visits T[start, end) for every CR LF at `end`
// found at or after position 1, then 3 past the previous one. A piece after the last CR LF
// is not visited.
template <typename Visit> void WalkLines(std::string_view text, Visit&& visit) {
    std::size_t start = 0;
    std::size_t end = text.find("\r\n", 1);
    while (end != std::string_view::npos && end > 0) {
        visit(text.substr(start, end - start));
        start = end + 2;
        end = text.find("\r\n", end + 3);
    }
}

// Whether a line (without its line break) ends the block before it.
bool IsSeparatorLine(std::string_view line);

// The first CR or LF in [first, last), or last.
const char* FindLineBreak(const char* first, const char* last);
