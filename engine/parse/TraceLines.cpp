#include "TraceLines.h"

#include "CLineScanner.h"
#include "TraceText.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// How a cursor line begins: its name with the blank and the "#", and what follows the number.
struct CLinePrefix {
    std::string_view name;
    ETraceLine kind;
    char after;
};

constexpr CLinePrefix kParse{"PARSE #", ETraceLine::Parse, ':'};
constexpr CLinePrefix kExec{"EXEC #", ETraceLine::Exec, ':'};
constexpr CLinePrefix kFetch{"FETCH #", ETraceLine::Fetch, ':'};
constexpr CLinePrefix kStat{"STAT #", ETraceLine::Stat, ' '};
constexpr CLinePrefix kWait{"WAIT #", ETraceLine::Wait, ':'};
constexpr CLinePrefix kClose{"CLOSE #", ETraceLine::Close, ':'};
constexpr CLinePrefix kUnmap{"UNMAP #", ETraceLine::Unmap, ':'};
constexpr CLinePrefix kError{"ERROR #", ETraceLine::Error, ':'};
constexpr std::string_view kXctend = "XCTEND ";
constexpr std::string_view kLob = "LOB";

bool IsLobCall(std::string_view line) {
    if (!line.starts_with(kLob)) {
        return false;
    }
    std::size_t end = kLob.size();
    while (end < line.size() && line[end] >= 'A' && line[end] <= 'Z') {
        ++end;
    }
    return end > kLob.size() && end < line.size() && line[end] == ':';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the decimal digits from `end` on into `value`, leaving `end` after them; false when
// their value does not fit 64 bits. Up to 19 digits always fit; only longer runs, which no
// server writes, are read again digit by digit with the overflow checked.
inline bool ReadDecimal(std::string_view text, std::size_t& end, std::uint64_t& value) {
    const CDigitRun run = ReadDigitRun(text.data() + end, text.data() + text.size());
    if (run.count <= 19) {
        end += run.count;
        value = run.value;
        return true;
    }
    std::uint64_t result = 0;
    for (; end < text.size() && IsDigit(text[end]); ++end) {
        if (__builtin_mul_overflow(result, std::uint64_t{10}, &result) ||
            __builtin_add_overflow(result, static_cast<std::uint64_t>(text[end] - '0'), &result)) {
            return false;
        }
    }
    value = result;
    return true;
}

// The prefix is a template argument so that its size is known when compiled and the
// comparison is made inline: this runs for almost every line of a trace.
template <const CLinePrefix& prefix> CCursorLine Match(std::string_view line) {
    CCursorLine result;
    constexpr std::size_t kSize = prefix.name.size();
    if (line.size() < kSize || std::memcmp(line.data(), prefix.name.data(), kSize) != 0) {
        return result;
    }
    std::size_t end = kSize;
    std::uint64_t cursor = 0;
    if (!ReadDecimal(line, end, cursor)) {
        return result;
    }
    if (end > kSize && end < line.size() && line[end] == prefix.after) {
        result.kind = prefix.kind;
        result.cursor = cursor;
        result.end = end;
    }
    return result;
}

// The value of a pair: plain digits are read here, anything else by the general rule.
std::int64_t Value(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return ParseInteger(text);
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return ParseInteger(text);
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::int64_t NumberAfter(std::string_view line, std::string_view key) {
    const std::size_t p = line.find(key);
    return p == std::string_view::npos ? 0 : ParseInteger(line.substr(p + key.size()));
}

// The position of the first "tim=" in `text`, or npos. Where the text has room, sixteen places
// are tried at once: a wait line's parameters hold several "t" before it ("#bytes", "timeout").
std::size_t FindTimeKey(std::string_view text) {
    std::size_t at = 0;
#if defined(__SSE2__)
    const auto is = [&text](std::size_t k, char c) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + k)),
                              _mm_set1_epi8(c));
    };
    for (; text.size() - at >= 16 + 3; at += 16) {
        const __m128i found = _mm_and_si128(_mm_and_si128(is(at, 't'), is(at + 1, 'i')),
                                            _mm_and_si128(is(at + 2, 'm'), is(at + 3, '=')));
        if (const int mask = _mm_movemask_epi8(found); mask != 0) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    return text.find("tim=", at);
}

// The number after the first "tim=" in `text`, as NumberAfter reads it.
std::int64_t TimeAfter(std::string_view text) {
    const std::size_t key = FindTimeKey(text);
    return key == std::string_view::npos ? 0 : ParseInteger(text.substr(key + 4));
}

// Where a call line's key goes; the first value of a key counts.
std::int64_t* Slot(std::string_view name, ECallKind kind, CCallLine& call, unsigned& seen) {
    CCallFigures& f = call.figures;
    std::int64_t* slot = nullptr;
    unsigned bit = 0;
    switch (name.size()) {
    case 1:
        bit = name[0] == 'e' ? 1 : name[0] == 'p' ? 2 : name[0] == 'r' ? 4 : 0;
        slot = bit == 1 ? &f.elapsed : bit == 2 ? &f.disk : &f.rows;
        bit = bit == 4 && kind == ECallKind::Parse ? 0 : bit;
        break;
    case 2:
        bit = name == "cr" ? 8 : name == "cu" ? 16 : 0;
        slot = bit == 8 ? &f.query : &f.current;
        break;
    case 3:
        bit = name == "mis" && kind != ECallKind::Fetch ? 32 : name == "dep" ? 64 : 0;
        slot = bit == 32 ? &f.misses : &call.depth;
        break;
    default:
        break;
    }
    if (bit == 0 || (seen & bit) != 0) {
        return nullptr;
    }
    seen |= bit;
    return slot;
}

// "c=N,e=N,p=N,cr=N,cu=N,mis=N,r=N,dep=N,og=N,[plh=N,]tim=N" after the cursor's ":".
inline bool ReadCallLayout(std::string_view line, std::size_t colon, ECallKind kind,
                           CCallLine& call) {
    CLineScanner scan(line, colon + 1);
    CCallFigures& f = call.figures;
    scan.Expect("c=");
    f.cpu = scan.Digits();
    scan.Expect(",e=");
    f.elapsed = scan.Digits();
    scan.Expect(",p=");
    f.disk = scan.Digits();
    scan.Expect(",cr=");
    f.query = scan.Digits();
    scan.Expect(",cu=");
    f.current = scan.Digits();
    scan.Expect(",mis=");
    const std::int64_t misses = scan.Digits();
    scan.Expect(",r=");
    const std::int64_t rows = scan.Digits();
    scan.Expect(",dep=");
    call.depth = scan.Digits();
    scan.Expect(",og=");
    scan.Digits();
    scan.Expect(",");
    if (scan.Ok() &&
        line.substr(static_cast<std::size_t>(scan.Position() - line.data())).starts_with("plh=")) {
        scan.Expect("plh=");
        scan.Digits();
        scan.Expect(",");
    }
    scan.Expect("tim=");
    call.time = scan.Digits();
    if (!scan.Ok() || !scan.AtEnd()) {
        return false;
    }
    f.misses = kind == ECallKind::Fetch ? 0 : misses;
    f.rows = kind == ECallKind::Parse ? 0 : rows;
    return true;
}

// "c=N,e=N,dep=N,type=N,tim=N" after the cursor's ":", as servers write a CLOSE line.
bool ReadCloseLayout(std::string_view line, std::size_t colon, CCallLine& call) {
    CLineScanner scan(line, colon + 1);
    scan.Expect("c=");
    call.figures.cpu = scan.Digits();
    scan.Expect(",e=");
    call.figures.elapsed = scan.Digits();
    scan.Expect(",dep=");
    call.depth = scan.Digits();
    scan.Expect(",type=");
    scan.Digits();
    scan.Expect(",tim=");
    call.time = scan.Digits();
    return scan.Ok() && scan.AtEnd();
}

// " id=N cnt=N pid=N pos=N obj=N op='TEXT'" after the cursor number.
inline bool ReadStatLayout(std::string_view line, CStatLine& stat) {
    const std::size_t blank = line.find(' ', 6);
    if (blank == std::string_view::npos) {
        return false;
    }
    CLineScanner scan(line, blank);
    scan.Expect(" id=");
    stat.row.id = scan.Digits();
    scan.Expect(" cnt=");
    stat.row.rows = scan.Digits();
    scan.Expect(" pid=");
    stat.row.parentId = scan.Digits();
    scan.Expect(" pos=");
    scan.Digits();
    scan.Expect(" obj=");
    scan.Digits();
    scan.Expect(" op='");
    stat.operation = scan.Until('\'');
    return scan.Ok();
}

// ": nam='NAME' ela= N" after the cursor number, the name holding no "=": the general rules
// would read an "ela=" or a "tim=" in the name.
inline bool ReadWaitLayout(std::string_view line, std::size_t colon, CWaitLine& wait) {
    CLineScanner scan(line, colon);
    scan.Expect(": nam='");
    wait.event = scan.Until('\'');
    scan.Expect(" ela=");
    scan.Skip(' ');
    wait.elapsed = scan.Digits();
    if (!scan.Ok() || wait.event.find('=') != std::string_view::npos) {
        return false;
    }
    wait.time = TimeAfter(line.substr(static_cast<std::size_t>(scan.Position() - line.data())));
    return true;
}

} // namespace

bool ReadCursorNumber(std::string_view line, std::size_t position, std::uint64_t& cursor) {
    if (position >= line.size() || line[position] != '#') {
        return false;
    }
    std::uint64_t value = 0;
    std::size_t i = position + 1;
    if (!ReadDecimal(line, i, value)) {
        return false;
    }
    cursor = value;
    return i > position + 1;
}

CCursorLine ClassifyLine(std::string_view line) {
    switch (line.empty() ? '\0' : line.front()) {
    case 'P':
        return Match<kParse>(line);
    case 'E':
        return line.size() > 1 && line[1] == 'R' ? Match<kError>(line) : Match<kExec>(line);
    case 'C':
        return line.starts_with(kClose.name) ? CCursorLine{ETraceLine::Close, 0} : CCursorLine{};
    case 'U':
        return line.starts_with(kUnmap.name) ? CCursorLine{ETraceLine::Unmap, 0} : CCursorLine{};
    case 'X':
        return line.starts_with(kXctend) ? CCursorLine{ETraceLine::Xctend, 0} : CCursorLine{};
    case 'L':
        return IsLobCall(line) ? CCursorLine{ETraceLine::Lob, 0} : CCursorLine{};
    case 'F':
        return Match<kFetch>(line);
    case 'S':
        return Match<kStat>(line);
    case 'W':
        return Match<kWait>(line);
    default:
        return {};
    }
}

ECallKind CallKindOf(ETraceLine kind) {
    switch (kind) {
    case ETraceLine::Parse:
        return ECallKind::Parse;
    case ETraceLine::Exec:
        return ECallKind::Exec;
    default:
        return ECallKind::Fetch;
    }
}

CCallLine ReadCallLine(std::string_view line, ECallKind kind) {
    return ReadCallLine(line, kind, line.find(':'));
}

// One pass over the comma-separated pairs that follow the first ":". A pair's value counts
// only when a "," ends it, so the last pair of the line ("tim=" on real lines) never does.
CCallLine ReadCallLine(std::string_view line, ECallKind kind, std::size_t colon) {
    CCallLine call;
    call.figures.count = 1;
    if (colon != std::string_view::npos && ReadCallLayout(line, colon, kind, call)) {
        call.plain = true;
        return call;
    }
    call = CCallLine{};
    call.figures.count = 1;
    call.time = NumberAfter(line, "tim=");
    if (colon == std::string_view::npos) {
        return call;
    }
    unsigned seen = 0;
    bool first = true;
    for (std::size_t start = colon + 1; start < line.size();) {
        std::size_t comma = start;
        std::size_t equals = std::string_view::npos;
        for (; comma < line.size() && line[comma] != ','; ++comma) {
            if (equals == std::string_view::npos && line[comma] == '=') {
                equals = comma;
            }
        }
        if (comma == line.size()) {
            break;
        }
        if (equals != std::string_view::npos) {
            const std::string_view name = line.substr(start, equals - start);
            const std::string_view value = line.substr(equals + 1, comma - equals - 1);
            if (first) {
                call.figures.cpu = name == "c" ? Value(value) : 0;
            } else if (std::int64_t* slot = Slot(name, kind, call, seen)) {
                *slot = Value(value);
            }
        }
        first = false;
        start = comma + 1;
    }
    return call;
}

// The pairs after the ":", each "name=value" up to a ",": c, e, dep and tim are kept. A CLOSE
// line in the layout servers write is read straight through, which gives the same figures.
CCallLine ReadCloseLine(std::string_view line) {
    CCallLine call;
    call.figures.count = 1;
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && ReadCloseLayout(line, colon, call)) {
        return call;
    }
    call = CCallLine{};
    call.figures.count = 1;
    std::size_t start = colon == std::string_view::npos ? line.size() : colon + 1;
    while (start < line.size()) {
        // A LOB line may write its figures first, after a blank: "LOBREAD: c=1000,e=456,...".
        while (start < line.size() && line[start] == ' ') {
            ++start;
        }
        if (start == line.size()) {
            break;
        }
        std::size_t end = start;
        std::size_t equals = std::string_view::npos;
        for (; end < line.size() && line[end] != ','; ++end) {
            equals = equals == std::string_view::npos && line[end] == '=' ? end : equals;
        }
        const std::size_t length = equals == std::string_view::npos ? 0 : equals - start;
        const std::string_view value =
            length == 0 ? std::string_view() : line.substr(equals + 1, end - equals - 1);
        const char first = line[start];
        if (length == 1 && first == 'c') {
            call.figures.cpu = Value(value);
        } else if (length == 1 && first == 'e') {
            call.figures.elapsed = Value(value);
        } else if (length == 3 && first == 'd' && line[start + 1] == 'e') {
            call.depth = Value(value);
        } else if (length == 3 && first == 't' && line[start + 1] == 'i') {
            call.time = Value(value);
        }
        start = end + 1;
    }
    return call;
}

CStatLine ReadStatLine(std::string_view line) {
    CStatLine stat;
    if (ReadStatLayout(line, stat)) {
        return stat;
    }
    stat = CStatLine{};
    stat.row.id = GetNumber(line, " id=", " ");
    stat.row.parentId = GetNumber(line, " pid=", " ");
    stat.row.rows = GetNumber(line, " cnt=", " ");
    stat.operation = GetText(line, "op='", "'");
    return stat;
}

CWaitLine ReadWaitLine(std::string_view line) {
    return ReadWaitLine(line, line.find(':'));
}

CWaitLine ReadWaitLine(std::string_view line, std::size_t colon) {
    CWaitLine wait;
    if (colon != std::string_view::npos && ReadWaitLayout(line, colon, wait)) {
        return wait;
    }
    return CWaitLine{GetText(line, "nam='", "'"), NumberAfter(line, "ela="),
                     NumberAfter(line, "tim=")};
}

CXctendLine ReadXctendLine(std::string_view line) {
    return CXctendLine{NumberAfter(line, "rlbk=") != 0, NumberAfter(line, "rd_only=") != 0,
                       NumberAfter(line, "tim=")};
}

CErrorLine ReadErrorLine(std::string_view line) {
    return CErrorLine{NumberAfter(line, "err="), NumberAfter(line, "tim=")};
}
