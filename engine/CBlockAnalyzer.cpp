#include "CBlockAnalyzer.h"

#include "CCommandTypeCatalog.h"
#include "TraceText.h"

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

constexpr std::string_view kCursorHeader = "PARSING IN CURSOR";
constexpr std::string_view kParseErrorHeader = "PARSE ERROR";
constexpr std::string_view kEndOfStatement = "END OF STMT";
constexpr std::size_t kCursorIdStart = kCursorHeader.size() + 1;

int ToCode(std::int64_t value) {
    return value < INT_MIN || value > INT_MAX ? -1 : static_cast<int>(value);
}

// The line of `text` that holds position `k`, without its line breaks.
std::string_view LineAround(std::string_view text, std::size_t k) {
    const std::size_t before = text.rfind('\n', k);
    const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
    const std::size_t end = text.find('\r', k);
    return text.substr(start, (end == std::string_view::npos ? text.size() : end) - start);
}

// Whether `prefix` ends just before position k; the letter before the blank is tested first,
// since most lines that hold the cursor id are other lines of the cursor (WAIT, BINDS, ...).
bool PrecededBy(std::string_view text, std::size_t k, std::string_view prefix) {
    return k >= prefix.size() && text[k - 2] == prefix[prefix.size() - 2] &&
           std::memcmp(text.data() + k - prefix.size(), prefix.data(), prefix.size()) == 0;
}

std::size_t Find(std::string_view text, std::string_view needle, std::size_t from = 0) {
    if (from > text.size()) {
        return std::string_view::npos;
    }
    const void* hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

void AddCommonFigures(std::string_view line, CCallFigures& figures) {
    ++figures.count;
    figures.cpu += GetNumber(line, ":c=", ",");
    figures.elapsed += GetNumber(line, ",e=", ",");
    figures.disk += GetNumber(line, ",p=", ",");
    figures.query += GetNumber(line, ",cr=", ",");
    figures.current += GetNumber(line, ",cu=", ",");
}

void AddParse(std::string_view line, CCallFigures& figures) {
    AddCommonFigures(line, figures);
    figures.misses += GetNumber(line, ",mis=", ",");
}

void AddExecute(std::string_view line, CCallFigures& figures) {
    AddCommonFigures(line, figures);
    figures.misses += GetNumber(line, ",mis=", ",");
    figures.rows += GetNumber(line, ",r=", ",");
}

void AddFetch(std::string_view line, CCallFigures& figures) {
    AddCommonFigures(line, figures);
    figures.rows += GetNumber(line, ",r=", ",");
}

void ComputeTotals(CStatementRecord& record) {
    const CCallFigures& p = record.m_parse;
    const CCallFigures& e = record.m_exec;
    const CCallFigures& f = record.m_fetch;
    CCallFigures& t = record.m_total;
    t.count = p.count + e.count + f.count;
    t.cpu = p.cpu + e.cpu + f.cpu;
    t.elapsed = p.elapsed + e.elapsed + f.elapsed;
    t.disk = p.disk + e.disk + f.disk;
    t.query = p.query + e.query + f.query;
    t.current = p.current + e.current + f.current;
    t.rows = e.rows + f.rows;
}

void AppendRow(std::string& text, const char* title, const CCallFigures& figures,
               std::int64_t rows) {
    char row[256];
    std::snprintf(row, sizeof row,
                  "%s%6" PRId64 "  %8" PRId64 " %10" PRId64 " %10" PRId64 " %10" PRId64
                  " %10" PRId64 " %10" PRId64,
                  title, figures.count, figures.cpu, figures.elapsed, figures.disk, figures.query,
                  figures.current, rows);
    text += row;
}

struct CPlanRow {
    std::int64_t depth = 0;
    std::string_view operation;
    std::int64_t rows = 0;
};

} // namespace

CBlockAnalyzer::CBlockAnalyzer(const CCommandTypeCatalog& catalog, bool showSys,
                               std::string typeFlags)
    : m_catalog(catalog), m_bShowSys(showSys), m_strTypeFlags(std::move(typeFlags)) {}

std::optional<CStatementRecord> CBlockAnalyzer::AnalyzeBlock(std::string&& block,
                                                             std::string_view pid) const {
    const bool cursor = block.starts_with(kCursorHeader);
    if (!cursor && !block.starts_with(kParseErrorHeader)) {
        return std::nullopt;
    }
    CStatementRecord record;
    if (!ReadHeader(std::string_view(block).substr(0, block.find("\r\n")), record)) {
        return std::nullopt;
    }
    record.m_strPid = pid;
    record.m_strNode = std::move(block);
    if (cursor) {
        AnalyzeCursorBlock(record);
    } else {
        AnalyzeParseError(record);
    }
    return record;
}

// Reads the user and command type and applies the filters: SYS first, then the type.
bool CBlockAnalyzer::ReadHeader(std::string_view header, CStatementRecord& record) const {
    const std::int64_t uid = GetNumber(header, "uid=", " ");
    if (uid == 0 && !m_bShowSys) {
        return false;
    }
    const int code = ToCode(GetNumber(header, "oct=", " "));
    if (!m_catalog.IsCommandTypeShown(m_strTypeFlags, code)) {
        return false;
    }
    record.m_strOctName = m_catalog.GetCommandTypeName(code);
    record.m_nUserId = uid;
    return true;
}

void CBlockAnalyzer::AnalyzeCursorBlock(CStatementRecord& record) const {
    const std::string_view node(record.m_strNode);
    const std::size_t h = node.find("\r\n");
    const std::size_t e = Find(node, kEndOfStatement);
    record.m_bCursorBlock = true;
    if (e == std::string_view::npos) {
        record.m_nSqlStart = h + 2;
        record.m_nRestStart = h + 2;
    } else {
        record.m_nSqlStart = h + 2;
        record.m_nSqlLength = e > h + 2 ? e - (h + 2) : 0;
        record.m_nRestStart = e + kEndOfStatement.size();
    }
    const std::string_view header = node.substr(0, h);
    ParseCallLines(node.substr(record.m_nRestStart), CursorIdOf(header), record);
}

void CBlockAnalyzer::AnalyzeParseError(CStatementRecord& record) {
    const std::string_view node(record.m_strNode);
    const std::size_t h = node.find("\r\n");
    record.m_nSqlStart = h + 2;
    record.m_nSqlLength = node.size() - (h + 2);
    const std::string_view err = GetText(node.substr(0, h), "err=", " ");
    static constexpr const char* kPrefixes[] = {"ORA-00", "ORA-0", "ORA-"};
    if (err.size() >= 3 && err.size() <= 5) {
        record.m_strError = std::string(kPrefixes[err.size() - 3]) + std::string(err);
    }
}

std::string_view CBlockAnalyzer::CursorIdOf(std::string_view header) {
    const std::size_t len = header.find("len");
    if (len == std::string_view::npos || len < kCursorIdStart + 1) {
        return {};
    }
    return header.substr(kCursorIdStart, len - 1 - kCursorIdStart);
}

std::string CBlockAnalyzer::PidFromPath(std::string_view path) {
    const std::size_t u = path.rfind('_');
    const std::size_t d = path.rfind('.');
    if (u == std::string_view::npos || u == 0 || d == std::string_view::npos || d <= u) {
        return {};
    }
    return std::string(path.substr(u + 1, d - u - 1));
}

// Every line holding "PARSE <id>:", "EXEC <id>:" or "FETCH <id>:" counts once for each kind
// it holds. The lines are found through the occurrences of "<id>:", which all three share.
void CBlockAnalyzer::ParseCallLines(std::string_view rest, std::string_view cursorId,
                                    CStatementRecord& record) {
    if (rest.empty()) {
        return;
    }
    thread_local std::string needle;
    needle.assign(cursorId);
    needle += ':';
    std::size_t parseLine = std::string_view::npos;
    std::size_t execLine = std::string_view::npos;
    std::size_t fetchLine = std::string_view::npos;
    std::size_t k = 0;
    while ((k = Find(rest, needle, k)) != std::string_view::npos) {
        const bool parse = PrecededBy(rest, k, "PARSE ");
        const bool exec = PrecededBy(rest, k, "EXEC ");
        const bool fetch = PrecededBy(rest, k, "FETCH ");
        if (parse || exec || fetch) {
            const std::string_view line = LineAround(rest, k);
            const auto lineStart = static_cast<std::size_t>(line.data() - rest.data());
            if (parse && lineStart != parseLine) {
                parseLine = lineStart;
                AddParse(line, record.m_parse);
            }
            if (exec && lineStart != execLine) {
                execLine = lineStart;
                AddExecute(line, record.m_exec);
            }
            if (fetch && lineStart != fetchLine) {
                fetchLine = lineStart;
                AddFetch(line, record.m_fetch);
            }
        }
        ++k;
    }
    ComputeTotals(record);
}

std::string CBlockAnalyzer::ParseStatLines(std::string_view rest, std::string_view cursorId) {
    const std::string pattern = "STAT " + std::string(cursorId) + " ";
    std::map<std::int64_t, CPlanRow> rows;
    WalkLines(rest, [&](std::string_view line) {
        if (!line.starts_with(pattern)) {
            return;
        }
        const std::int64_t id = GetNumber(line, " id=", " ");
        const std::int64_t pid = GetNumber(line, " pid=", " ");
        CPlanRow row{0, GetText(line, "op='", "'"), GetNumber(line, " cnt=", " ")};
        if (pid != 0) {
            const auto parent = rows.find(pid);
            row.depth = (parent == rows.end() ? 0 : parent->second.depth) + 1;
        }
        rows.emplace(id, row);
    });
    std::string text;
    for (const auto& [id, row] : rows) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%7" PRId64 "  ", row.rows);
        text += figure;
        text.append(static_cast<std::size_t>(row.depth), '\t');
        text += row.operation;
        text += "\r\n";
    }
    if (text.empty()) {
        return text;
    }
    return "Rows     Row Source Operation\r\n"
           "-------  ---------------------------------------------------\r\n" +
           text;
}

std::string CBlockAnalyzer::FormatCallStats(const CStatementRecord& record) {
    static constexpr const char* kDashes =
        "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n";
    std::string text =
        "call\tcount\tcpu      elapsed    disk       query      current     rows\r\n";
    text += kDashes;
    AppendRow(text, "Parse   ", record.m_parse, 0);
    text += "\r\n";
    AppendRow(text, "Execute ", record.m_exec, record.m_exec.rows);
    text += "\r\n";
    AppendRow(text, "Fetch   ", record.m_fetch, record.m_fetch.rows);
    text += "\r\n";
    text += kDashes;
    AppendRow(text, "Total   ", record.m_total, record.m_total.rows);
    return text;
}
