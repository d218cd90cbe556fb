#include "CHeaderReader.h"

#include "CCommandTypeCatalog.h"
#include "CLineScanner.h"
#include "TraceLines.h"
#include "TraceText.h"

#include <climits>

namespace {

constexpr std::string_view kCursorHeader = "PARSING IN CURSOR";
constexpr std::string_view kParseErrorHeader = "PARSE ERROR";
constexpr std::size_t kCursorIdStart = kCursorHeader.size() + 1;

int ToCode(std::int64_t value) {
    return value < INT_MIN || value > INT_MAX ? -1 : static_cast<int>(value);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsIdCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

template <typename Allowed> bool AllOf(std::string_view text, Allowed allowed) {
    for (const char c : text) {
        if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

// What a cursor header says.
struct CHeaderFields {
    std::uint64_t cursor = 0;
    std::int64_t depth = 0;
    std::int64_t uid = 0;
    std::int64_t oct = 0;
    std::int64_t hashValue = 0;
    std::string_view sqlId;
};

// "PARSING IN CURSOR #N len=N dep=N uid=N oct=N lid=N tim=N hv=N ad='HEX'[ sqlid='ID']", the
// layout servers write, read from left to right. Anything else makes it fail, and the header
// is read by the general rules, which give the same fields for a header in this layout: the
// address and the id hold no text those rules search for.
bool ReadCursorLayout(std::string_view line, CHeaderFields& fields) {
    CLineScanner scan(line, 0);
    scan.Expect("PARSING IN CURSOR #");
    fields.cursor = static_cast<std::uint64_t>(scan.Digits());
    scan.Expect(" len=");
    scan.Digits();
    scan.Expect(" dep=");
    fields.depth = scan.Digits();
    scan.Expect(" uid=");
    fields.uid = scan.Digits();
    scan.Expect(" oct=");
    fields.oct = scan.Digits();
    scan.Expect(" lid=");
    scan.Digits();
    scan.Expect(" tim=");
    scan.Digits();
    scan.Expect(" hv=");
    fields.hashValue = scan.Digits();
    scan.Expect(" ad='");
    const std::string_view address = scan.Until('\'');
    if (scan.Ok() && !scan.AtEnd()) {
        scan.Expect(" sqlid='");
        fields.sqlId = scan.Until('\'');
    }
    return scan.Ok() && scan.AtEnd() && AllOf(address, IsHexDigit) &&
           AllOf(fields.sqlId, IsIdCharacter);
}

} // namespace

CHeaderReader::CHeaderReader(const CCommandTypeCatalog& catalog, bool showSys,
                             std::string typeFlags)
    : m_catalog(catalog), m_bShowSys(showSys), m_strTypeFlags(std::move(typeFlags)) {}

CHeaderReader::CHeader CHeaderReader::Read(std::string_view line, CStatementRecord& record) const {
    CHeader header;
    const bool cursorBlock = line.starts_with(kCursorHeader);
    if (!cursorBlock && !line.starts_with(kParseErrorHeader)) {
        return header;
    }
    CHeaderFields fields;
    if (cursorBlock && ReadCursorLayout(line, fields)) {
        header.hasCursor = true;
        header.cursor = fields.cursor;
        header.depth = fields.depth;
        header.kind = Passes(fields.uid, fields.oct, record) ? EHeader::Shown : EHeader::Hidden;
        if (header.kind == EHeader::Shown) {
            record.SetDepth(header.depth);
            record.m_bCursorBlock = true;
            record.SetSqlId(fields.sqlId);
            record.SetHashValue(fields.hashValue);
        }
        return header;
    }
    header.hasCursor = ReadCursorNumber(
        line, cursorBlock ? kCursorIdStart : kParseErrorHeader.size() + 1, header.cursor);
    header.depth = GetNumber(line, "dep=", " ");
    if (!Passes(GetNumber(line, "uid=", " "), GetNumber(line, "oct=", " "), record)) {
        header.kind = EHeader::Hidden;
        return header;
    }
    header.kind = EHeader::Shown;
    record.SetDepth(header.depth);
    record.m_bCursorBlock = cursorBlock;
    // Both stand near the end of the header.
    const std::size_t sqlId = line.rfind("sqlid='");
    record.SetSqlId(sqlId == std::string_view::npos ? std::string_view()
                                                    : GetText(line.substr(sqlId), "'", "'"));
    const std::size_t hv = line.rfind(" hv=");
    record.SetHashValue(hv == std::string_view::npos ? 0 : GetNumber(line.substr(hv), "hv=", " "));
    if (!cursorBlock) {
        ReadParseError(line, record);
    }
    return header;
}

// Applies the filters to the user and command type: SYS first, then the type.
bool CHeaderReader::Passes(std::int64_t uid, std::int64_t oct, CStatementRecord& record) const {
    if (uid == 0 && !m_bShowSys) {
        return false;
    }
    const int code = ToCode(oct);
    if (!m_catalog.IsCommandTypeShown(m_strTypeFlags, code)) {
        return false;
    }
    record.SetOctName(m_catalog.CommandTypeName(code));
    record.SetUserId(uid);
    return true;
}

void CHeaderReader::ReadParseError(std::string_view header, CStatementRecord& record) {
    const std::string_view err = GetText(header, "err=", " ");
    static constexpr const char* kPrefixes[] = {"ORA-00", "ORA-0", "ORA-"};
    if (err.size() >= 3 && err.size() <= 5) {
        record.SetError(std::string(kPrefixes[err.size() - 3]) + std::string(err));
    }
}

std::string_view CHeaderReader::CursorIdOf(std::string_view header) {
    const std::size_t len = header.find("len");
    if (len == std::string_view::npos || len < kCursorIdStart + 1) {
        return {};
    }
    return header.substr(kCursorIdStart, len - 1 - kCursorIdStart);
}

std::string CHeaderReader::PidFromPath(std::string_view path) {
    for (const std::string_view compressed : {".gz", ".xz", ".bz2"}) {
        if (path.ends_with(compressed)) {
            path.remove_suffix(compressed.size());
            break;
        }
    }
    const std::size_t u = path.rfind('_');
    const std::size_t d = path.rfind('.');
    if (u == std::string_view::npos || u == 0 || d == std::string_view::npos || d <= u) {
        return {};
    }
    return std::string(path.substr(u + 1, d - u - 1));
}
