#pragma once

#include <string>
#include <string_view>

// Appends `bytes` to `out` as a JSON string literal (with its quotes). Valid UTF-8 passes
// through; a byte that is not part of a valid UTF-8 sequence becomes the character with the
// byte's value (U+0080 to U+00FF), so Latin-1 text reads as it was meant. Quotes, backslashes
// and control characters are escaped.
void AppendJsonString(std::string& out, std::string_view bytes);
