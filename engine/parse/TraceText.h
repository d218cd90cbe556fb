#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Reading rules shared by every line analysis of the engine. All searches are byte-wise
// and case-sensitive.

// The integer after the first `key` in `line`, read up to the first `terminator` at or
// after one past the key's position: leading white space is skipped, an optional sign is
// taken, then decimal digits; no digits give 0. 0 when the key or a later terminator is
// missing. Values beyond 64 bits saturate.
std::int64_t GetNumber(std::string_view line, std::string_view key, std::string_view terminator);

// An optionally signed decimal integer at the start of `text`, after any white space;
// 0 without digits. Values beyond 64 bits saturate.
std::int64_t ParseInteger(std::string_view text);

// A run of decimal digits: how many, and their value, exact for up to 19 digits (a longer
// run's value wraps; callers refuse or re-read such runs).
struct CDigitRun {
    std::size_t count = 0;
    std::uint64_t value = 0;
};

// 10 to the power of 0 to 8.
inline constexpr std::uint64_t kDecimalPowers[] = {1,      10,      100,      1000,     10000,
                                                   100000, 1000000, 10000000, 100000000};

// The value of the first `count` (1 to 8) of eight digits, a digit's value in each byte and
// the first digit in the lowest byte: they are moved to the top so that the bytes shifted in
// are leading zeros, then combined in pairs, fours and eights.
inline std::uint64_t ValueOfDigits(std::uint64_t digits, unsigned count) {
    std::uint64_t values = digits << (8 * (8 - count));
    values = (values * 10) + (values >> 8);
    return (((values & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((values >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
           32;
}

// Adds the decimal digits at the start of [p, last) to `run`, eight bytes at a time.
inline CDigitRun ReadMoreDigits(CDigitRun run, const char* p, const char* last) {
    while (last - p >= 8) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, p, 8);
        // A byte is a digit when its high half is 3 and adding 6 keeps it so; the first
        // byte that is not ends the run (later bytes may be garbled by a carry; they are
        // not looked at).
        const std::uint64_t other =
            ((bytes & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL) |
            (((bytes + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL);
        const unsigned digits =
            other == 0 ? 8u : static_cast<unsigned>(__builtin_ctzll(other)) / 8u;
        if (digits == 0) {
            break;
        }
        run.value = run.value * kDecimalPowers[digits] +
                    ValueOfDigits(bytes - 0x3030303030303030ULL, digits);
        run.count += digits;
        p += digits;
        if (digits < 8) {
            return run;
        }
    }
    for (; p != last && *p >= '0' && *p <= '9'; ++p) {
        run.value = run.value * 10 + static_cast<std::uint64_t>(*p - '0');
        ++run.count;
    }
    return run;
}

// The decimal digits at the start of [first, last): figures, time stamps and cursor numbers
// are most of a trace's bytes after the line breaks. Where sixteen bytes are left, one vector
// comparison finds the digits among them (time stamps and cursor numbers have fifteen or
// sixteen); otherwise, and beyond sixteen digits, they are read eight bytes at a time.
inline CDigitRun ReadDigitRun(const char* first, const char* last) {
#if defined(__SSE2__)
    if (last - first >= 16) {
        const __m128i values = _mm_sub_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(first)), _mm_set1_epi8('0'));
        // A byte less '0' is a digit's value when it is at most 9, read without sign.
        const __m128i digits = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
        const auto count =
            static_cast<unsigned>(__builtin_ctz(~static_cast<unsigned>(_mm_movemask_epi8(digits))));
        const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(values));
        if (count == 0) {
            return {};
        }
        if (count <= 8) {
            return {count, ValueOfDigits(low, count)};
        }
        const auto high =
            static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(values, values)));
        const unsigned later = count - 8;
        const CDigitRun run{count, ValueOfDigits(low, 8) * kDecimalPowers[later] +
                                       ValueOfDigits(high, later)};
        return count < 16 ? run : ReadMoreDigits(run, first + 16, last);
    }
#endif
    return ReadMoreDigits(CDigitRun{}, first, last);
}

// The text after the first `key` in `line` up to the next `terminator` (or the end of the
// line); empty when the key does not occur.
std::string_view GetText(std::string_view line, std::string_view key, std::string_view terminator);

// The line walk over a CR LF separated text: visits T[start, end) for every CR LF at `end`
// found at or after position 1, then 3 past the previous one. A piece after the last CR LF
// is not visited.
template <typename Visit> void WalkLines(std::string_view text, Visit&& visit) {
    std::size_t start = 0;
    std::size_t end = text.find("\r\n", 1);
    while (end != std::string_view::npos && end > 0) {
        visit(text.substr(start, end - start));
        start = end + 2;
        end = text.find("\r\n", end + 3);
    }
}

// What ends the SQL text of a cursor block: the text before it on its line is the text's last.
inline constexpr std::string_view kEndOfStatement = "END OF STMT";

// Whether a line (without its line break) ends the block before it. Inline, as every line of
// a trace is asked.
inline bool IsSeparatorLine(std::string_view line) {
    switch (line.empty() ? '\0' : line.front()) {
    case '=':
        return line == "=====================";
    case '*':
        return line.starts_with("*** ");
    case 'D':
        return line.starts_with("Dump file ");
    default:
        return false;
    }
}

// The process a line names: "Unix process pid: N" or "Windows thread id: N" at the line's start
// (a trace's own process, in its header) or in a line "*** [ Unix process pid: N ]" (or "*** [
// Windows thread id: N ]"), which switches the process the following lines come from. The
// digits N, or empty for any other line.
std::string_view ProcessOfLine(std::string_view line);
// Whether a line can name a process: a cheap look at its first two bytes ("Un", "Wi"), for
// every line that is not a separator.
inline bool MayNameProcess(std::string_view line) {
    if (line.size() < 2) {
        return false;
    }
    const unsigned head =
        static_cast<unsigned char>(line[0]) << 8 | static_cast<unsigned char>(line[1]);
    return head == ('U' << 8 | 'n') || head == ('W' << 8 | 'i');
}

// The first CR or LF in [first, last), or last.
const char* FindLineBreak(const char* first, const char* last);
// A line's end as LineEndFinder's search finds it: the first CR, LF or zero byte in
// [first, last), or last; and the last ":" before it, or nullptr when the line holds none.
struct CLineEnd {
    const char* end;
    const char* lastColon;
};
// The search for the end of a line in a text that ends at its first zero byte, with the
// line's last ":", which tells the tracker whether a call pattern can stand in the line.
// Chosen once for this processor, for loops that search every line.
using FLineEndFinder = CLineEnd (*)(const char* first, const char* last);
FLineEndFinder LineEndFinder();
