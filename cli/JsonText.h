#pragma once

#include <string>
#include <string_view>

// Appends `bytes` to `out` as a JSON string literal (with its quotes). Valid UTF-8 passes
// through; a byte that is not part of a valid UTF-8 sequence becomes the character with the
// byte's value (U+0080 to U+00FF), so Latin-1 text reads as it was meant. Quotes, backslashes
// and control characters are escaped.
void AppendJsonString(std::string& out, std::string_view bytes);

// The length of the valid UTF-8 sequence at the start of `bytes` (1 to 4), or 0 when the
// first byte does not begin one: overlong forms, surrogates and values past U+10FFFF are
// not valid.
std::size_t ValidUtf8Length(std::string_view bytes);
