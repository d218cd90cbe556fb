#pragma once

#include <cstddef>
#include <string_view>

// Trace text is bytes, mostly UTF-8. A character is a well-formed UTF-8 sequence or, where
// the bytes are not one, a single byte; the window shows such a byte as its Latin-1
// character, so nothing is lost.

// The length of the well-formed UTF-8 sequence at `pos` of `bytes` with its code point, or 0
// when the bytes there are not one (overlong forms, surrogates and values above U+10FFFF
// included). A byte below 0x80 is a sequence of its own.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, char32_t& codePoint);

// The byte length of the character at `pos`: its sequence, or 1.
std::size_t Utf8CharacterAt(std::string_view bytes, std::size_t pos);
