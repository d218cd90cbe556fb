#include "OutputText.h"

void WriteText(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
}
