#pragma once

#include "CWaitFigures.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends `bytes` to `out` as a JSON string literal (with its quotes). Valid UTF-8 passes
// through; a byte that is not part of a valid UTF-8 sequence becomes the character with the
// byte's value (U+0080 to U+00FF), so Latin-1 text reads as it was meant. Quotes, backslashes
// and control characters are escaped.
void AppendJsonString(std::string& out, std::string_view bytes);

// Appends `"name":value`.
void AppendJsonNumber(std::string& out, std::string_view name, std::int64_t value);

// Appends waits by event as one JSON object, {"EVENT":{"count":N,"max":N,"total":N},...},
// times in microseconds as the trace writes them.
void AppendJsonWaits(std::string& out, const std::vector<CWaitFigures>& waits);
