#include "TraceText.h"

#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::int64_t ParseInteger(std::string_view text) {
    // Most values are plain digits, and up to 18 of them cannot overflow.
    const CDigitRun plain = ReadDigitRun(text.data(), text.data() + text.size());
    if (plain.count > 0 && plain.count <= 18) {
        return static_cast<std::int64_t>(plain.value);
    }
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
    const std::uint64_t limit = negative ? kLimit + 1 : kLimit;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        std::uint64_t next = 0;
        const bool over = __builtin_mul_overflow(value, std::uint64_t{10}, &next) ||
                          __builtin_add_overflow(next, digit, &next) || next > limit;
        value = over ? limit : next;
    }
    if (negative) {
        return value == kLimit + 1 ? std::numeric_limits<std::int64_t>::min()
                                   : -static_cast<std::int64_t>(value);
    }
    return static_cast<std::int64_t>(value);
}

std::int64_t GetNumber(std::string_view line, std::string_view key, std::string_view terminator) {
    const std::size_t p = line.find(key);
    if (p == std::string_view::npos) {
        return 0;
    }
    const std::size_t q = line.find(terminator, p + 1);
    const std::size_t start = p + key.size();
    if (q == std::string_view::npos || q < start) {
        return 0;
    }
    return ParseInteger(line.substr(start, q - start));
}

std::string_view GetText(std::string_view line, std::string_view key, std::string_view terminator) {
    const std::size_t p = line.find(key);
    if (p == std::string_view::npos) {
        return {};
    }
    const std::size_t start = p + key.size();
    const std::size_t q = line.find(terminator, start);
    return q == std::string_view::npos ? line.substr(start) : line.substr(start, q - start);
}

namespace {

// With kTracker, a zero byte ends the search as a line break does, and the last ":" before
// the line's end is kept.
template <bool kTracker> bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || (kTracker && c == '\0');
}

// The last ":" of a block whose places are the set bits of `colons`, or `lastColon` when
// there is none.
inline const char* LastColonOf(const char* block, unsigned colons, const char* lastColon) {
    return colons != 0 ? block + 31 - __builtin_clz(colons) : lastColon;
}

// The bits of `colons` before the first set bit of `ends`, which is not 0.
inline unsigned ColonsBefore(unsigned colons, unsigned ends) {
    return colons & ((ends & (0U - ends)) - 1);
}

template <bool kTracker> CLineEnd FindLineEndPortable(const char* first, const char* last) {
    const char* lastColon = nullptr;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    const __m128i colon = _mm_set1_epi8(':');
    while (last - first >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
        __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
        if constexpr (kTracker) {
            ends = _mm_or_si128(ends, _mm_cmpeq_epi8(bytes, zero));
        }
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
        unsigned colons = 0;
        if constexpr (kTracker) {
            colons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, colon)));
        }
        if (mask != 0) {
            return {first + __builtin_ctz(mask),
                    LastColonOf(first, ColonsBefore(colons, mask), lastColon)};
        }
        lastColon = LastColonOf(first, colons, lastColon);
        first += 16;
    }
#endif
    for (; first != last && !IsLineEnd<kTracker>(*first); ++first) {
        if (kTracker && *first == ':') {
            lastColon = first;
        }
    }
    return {first, lastColon};
}

#if defined(__x86_64__)
// The same search 32 bytes at a time, on processors that have AVX2. Each byte looks up the
// table entry of its low four bits, which holds the one byte of those bits that ends a line
// (CR, LF, zero), or 0xFF, which no byte that finds it can be: a byte with its high bit set
// finds 0, which it is not either. So a byte ends a line when it finds itself.
template <bool kTracker>
__attribute__((target("avx2"))) CLineEnd FindLineEndAvx2(const char* first, const char* last) {
    constexpr char x = static_cast<char>(0xFF);
    const __m256i ends =
        _mm256_setr_epi8(kTracker ? 0 : x, x, x, x, x, x, x, x, x, x, '\n', x, x, '\r', x, x,
                         kTracker ? 0 : x, x, x, x, x, x, x, x, x, x, '\n', x, x, '\r', x, x);
    const __m256i colon = _mm256_set1_epi8(':');
    const char* lastColon = nullptr;
    while (last - first >= 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first));
        const auto mask = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_shuffle_epi8(ends, bytes), bytes)));
        unsigned colons = 0;
        if constexpr (kTracker) {
            colons = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, colon)));
        }
        if (mask != 0) {
            return {first + __builtin_ctz(mask),
                    LastColonOf(first, ColonsBefore(colons, mask), lastColon)};
        }
        lastColon = LastColonOf(first, colons, lastColon);
        first += 32;
    }
    CLineEnd rest = FindLineEndPortable<kTracker>(first, last);
    if (rest.lastColon == nullptr) {
        rest.lastColon = lastColon;
    }
    return rest;
}
#endif

template <bool kTracker> FLineEndFinder FinderOf() {
#if defined(__x86_64__)
    static const FLineEndFinder s_finder =
        __builtin_cpu_supports("avx2") ? FindLineEndAvx2<kTracker> : FindLineEndPortable<kTracker>;
    return s_finder;
#else
    return FindLineEndPortable<kTracker>;
#endif
}

} // namespace

FLineEndFinder LineEndFinder() {
    return FinderOf<true>();
}

const char* FindLineBreak(const char* first, const char* last) {
    return FinderOf<false>()(first, last).end;
}

std::string_view ProcessOfLine(std::string_view line) {
    constexpr std::string_view kSwitch = "*** [ ";
    if (line.starts_with(kSwitch)) {
        line.remove_prefix(kSwitch.size());
    }
    for (const std::string_view name :
         {std::string_view("Unix process pid: "), std::string_view("Windows thread id: ")}) {
        if (line.starts_with(name)) {
            const std::size_t start = name.size();
            std::size_t end = start;
            while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
                ++end;
            }
            return line.substr(start, end - start);
        }
    }
    return {};
}
