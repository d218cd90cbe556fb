#include "JsonText.h"

#include "CEventNames.h"
#include "Utf8Text.h"

#include <array>
#include <bit>
#include <cstdio>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\r':
        out += "\\r";
        break;
    case '\t':
        out += "\\t";
        break;
    default:
        if (c < 0x20 || c == 0x7F) {
            std::array<char, 8> code{};
            std::snprintf(code.data(), code.size(), "\\u%04x", c);
            out += code.data();
        } else {
            out += static_cast<char>(c);
        }
    }
}

// Whether a byte stands for itself in a JSON string: printable ASCII but the quote and the
// backslash.
bool IsPlain(char c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
}

// The end of the run of plain bytes from `i`: sixteen bytes at a time where the processor
// compares them at once.
std::size_t PlainRunEnd(std::string_view bytes, std::size_t i) {
#if defined(__SSE2__)
    const __m128i belowPlain = _mm_set1_epi8(0x1F);
    const __m128i pastPlain = _mm_set1_epi8(0x7F);
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    while (i + 16 <= bytes.size()) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        // Signed compares: bytes from 0x80 up are below 0x20.
        const __m128i printable =
            _mm_and_si128(_mm_cmpgt_epi8(chunk, belowPlain), _mm_cmplt_epi8(chunk, pastPlain));
        const __m128i special =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, quote), _mm_cmpeq_epi8(chunk, backslash));
        const auto plain =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(special, printable)));
        if (plain != 0xFFFF) {
            return i + static_cast<std::size_t>(std::countr_one(plain));
        }
        i += 16;
    }
#endif
    while (i < bytes.size() && IsPlain(bytes[i])) {
        ++i;
    }
    return i;
}

} // namespace

// Runs of plain bytes, most of a trace's text, are copied at once.
void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t plainEnd = PlainRunEnd(bytes, i);
        out.append(bytes.substr(i, plainEnd - i));
        i = plainEnd;
        if (i == bytes.size()) {
            break;
        }
        char32_t codePoint = 0;
        const std::size_t length = Utf8SequenceAt(bytes, i, codePoint);
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (length == 1) {
            AppendEscaped(out, c);
        } else if (length > 1) {
            out.append(bytes.substr(i, length));
        } else {
            // The character U+0080 to U+00FF of this byte's value, in UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        i += length > 0 ? length : 1;
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, std::string_view name, std::int64_t value) {
    AppendJsonString(out, name);
    out += ':';
    out += std::to_string(value);
}

void AppendJsonWaits(std::string& out, const std::vector<CWaitFigures>& waits) {
    out += '{';
    for (const CWaitFigures& wait : waits) {
        if (&wait != &waits.front()) {
            out += ',';
        }
        AppendJsonString(out, CEventNames::Name(wait.event));
        out += ':';
        out += '{';
        AppendJsonNumber(out, "count", wait.count);
        out += ',';
        AppendJsonNumber(out, "max", wait.max);
        out += ',';
        AppendJsonNumber(out, "total", wait.total);
        out += '}';
    }
    out += '}';
}
