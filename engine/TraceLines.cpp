#include "TraceLines.h"

#include "TraceText.h"

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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

CCursorLine Match(std::string_view line, const CLinePrefix& prefix) {
    CCursorLine result;
    if (!line.starts_with(prefix.name)) {
        return result;
    }
    std::size_t end = prefix.name.size();
    std::uint64_t cursor = 0;
    for (; end < line.size() && IsDigit(line[end]); ++end) {
        const auto digit = static_cast<std::uint64_t>(line[end] - '0');
        if (cursor > (UINT64_MAX - digit) / 10) {
            return result;
        }
        cursor = cursor * 10 + digit;
    }
    if (end > prefix.name.size() && end < line.size() && line[end] == prefix.after) {
        result.kind = prefix.kind;
        result.cursor = cursor;
    }
    return result;
}

std::int64_t NumberAfter(std::string_view line, std::string_view key) {
    const std::size_t p = line.find(key);
    return p == std::string_view::npos ? 0 : ParseInteger(line.substr(p + key.size()));
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
        return Match(line, kExec);
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
    const std::size_t colon = line.find(':');
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

CStatLine ReadStatLine(std::string_view line) {
    CStatLine stat;
    stat.row.id = GetNumber(line, " id=", " ");
    stat.row.parentId = GetNumber(line, " pid=", " ");
    stat.row.rows = GetNumber(line, " cnt=", " ");
    stat.operation = GetText(line, "op='", "'");
    return stat;
}

CWaitLine ReadWaitLine(std::string_view line) {
    return CWaitLine{GetText(line, "nam='", "'"), NumberAfter(line, "ela="),
                     NumberAfter(line, "tim=")};
}
