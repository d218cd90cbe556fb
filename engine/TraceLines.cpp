#include "TraceLines.h"

#include "TraceText.h"

namespace {

struct CLinePrefix {
    std::string_view name; // with the blank and the "#"
    ETraceLine kind;
    char after; // what follows the cursor number
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

CCursorLine Match(std::string_view line, const CLinePrefix& prefix) {
    CCursorLine result;
    if (!line.starts_with(prefix.name)) {
        return result;
    }
    std::size_t end = prefix.name.size();
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
        ++end;
    }
    if (end < line.size() && line[end] == prefix.after &&
        ReadCursorNumber(line, prefix.name.size() - 1, result.cursor)) {
        result.kind = prefix.kind;
    }
    return result;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

// Stores a call line's value under its key; the first value of a key counts.
void StoreValue(std::string_view name, std::int64_t value, ECallKind kind, CCallLine& call,
                unsigned& seen) {
    static constexpr std::string_view kKeys[] = {"e", "p", "cr", "cu", "mis", "r", "dep"};
    for (unsigned k = 0; k < std::size(kKeys); ++k) {
        if (name != kKeys[k] || (seen & (1u << k)) != 0) {
            continue;
        }
        seen |= 1u << k;
        CCallFigures& f = call.figures;
        switch (k) {
        case 0:
            f.elapsed = value;
            break;
        case 1:
            f.disk = value;
            break;
        case 2:
            f.query = value;
            break;
        case 3:
            f.current = value;
            break;
        case 4:
            f.misses = kind == ECallKind::Fetch ? 0 : value;
            break;
        case 5:
            f.rows = kind == ECallKind::Parse ? 0 : value;
            break;
        default:
            call.depth = value;
            break;
        }
    }
}

} // namespace

bool ReadCursorNumber(std::string_view line, std::size_t position, std::uint64_t& cursor) {
    if (position >= line.size() || line[position] != '#') {
        return false;
    }
    std::uint64_t value = 0;
    std::size_t i = position + 1;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(line[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    cursor = value;
    return i > position + 1;
}

CCursorLine ClassifyLine(std::string_view line) {
    switch (line.empty() ? '\0' : line.front()) {
    case 'P':
        return Match(line, kParse);
    case 'E':
        return line.size() > 1 && line[1] == 'R' ? Match(line, kError) : Match(line, kExec);
    case 'C':
        return line.starts_with(kClose.name) ? CCursorLine{ETraceLine::Close, 0} : CCursorLine{};
    case 'U':
        return line.starts_with(kUnmap.name) ? CCursorLine{ETraceLine::Unmap, 0} : CCursorLine{};
    case 'X':
        return line.starts_with(kXctend) ? CCursorLine{ETraceLine::Xctend, 0} : CCursorLine{};
    case 'F':
        return Match(line, kFetch);
    case 'S':
        return Match(line, kStat);
    case 'W':
        return Match(line, kWait);
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

// One pass over the comma-separated pairs that follow the first ":". A pair's value counts
// only when a "," ends it, so the last pair of the line ("tim=" on real lines) never does.
CCallLine ReadCallLine(std::string_view line, ECallKind kind) {
    CCallLine call;
    call.figures.count = 1;
    call.time = NumberAfter(line, "tim=");
    std::size_t start = line.find(':');
    unsigned seen = 0;
    bool first = true;
    while (start != std::string_view::npos && start < line.size()) {
        ++start;
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            break;
        }
        const std::string_view pair = line.substr(start, comma - start);
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos) {
            const std::string_view name = pair.substr(0, equals);
            const std::int64_t value = ParseInteger(pair.substr(equals + 1));
            if (first && name == "c") {
                call.figures.cpu = value;
            } else if (!first) {
                StoreValue(name, value, kind, call, seen);
            }
        }
        first = false;
        start = comma;
    }
    return call;
}

// The pairs after the ":", each "name=value" up to a ",": c, e, dep and tim are kept.
CCallLine ReadCloseLine(std::string_view line) {
    CCallLine call;
    call.figures.count = 1;
    const std::size_t colon = line.find(':');
    std::size_t start = colon == std::string_view::npos ? line.size() : colon + 1;
    while (start < line.size()) {
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

CPlanRow ReadStatLine(std::string_view line) {
    return CPlanRow{GetNumber(line, " id=", " "), GetNumber(line, " pid=", " "),
                    GetNumber(line, " cnt=", " "), std::string(GetText(line, "op='", "'"))};
}

CWaitLine ReadWaitLine(std::string_view line) {
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
