#pragma once

#include <cstdio>
#include <string_view>

// Writes `text` to `out`; a failure shows in ferror(out), which the end of a command checks.
void WriteText(std::FILE* out, std::string_view text);
