#pragma once

#include <cstdio>
#include <string_view>

// Writes `text` to `out`; a failure shows in ferror(out), which the end of a command checks.
void WriteText(std::FILE* out, std::string_view text);
// Writes `text` of a table or text output to `out`, its control bytes escaped
// (TerminalText) when `out` is a terminal.
void WriteShownText(std::FILE* out, std::string_view text);
