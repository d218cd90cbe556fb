#include "OutputText.h"

#include "SafeText.h"

#include <unistd.h>

void WriteText(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
}

void WriteShownText(std::FILE* out, std::string_view text) {
    if (::isatty(::fileno(out)) == 1) {
        WriteText(out, TerminalText(text));
    } else {
        WriteText(out, text);
    }
}
