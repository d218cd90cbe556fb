#include "CHeaderReader.h"

#include "CCommandTypeCatalog.h"
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
    header.hasCursor = ReadCursorNumber(
        line, cursorBlock ? kCursorIdStart : kParseErrorHeader.size() + 1, header.cursor);
    header.depth = GetNumber(line, "dep=", " ");
    if (!Passes(line, record)) {
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

// Reads the user and command type and applies the filters: SYS first, then the type.
bool CHeaderReader::Passes(std::string_view header, CStatementRecord& record) const {
    const std::int64_t uid = GetNumber(header, "uid=", " ");
    if (uid == 0 && !m_bShowSys) {
        return false;
    }
    const int code = ToCode(GetNumber(header, "oct=", " "));
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
