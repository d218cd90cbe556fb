#include "CReferenceAnalyzer.h"

#include "CCommandTypeCatalog.h"
#include "TraceText.h"

#include <cinttypes>
#include <cstdio>
#include <map>

namespace {

struct CRow {
    std::int64_t depth;
    std::string operation;
    std::int64_t rows;
};

std::string Row(const char* title, std::int64_t count, const CCallFigures& f, std::int64_t rows) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s%6" PRId64 "  %8" PRId64 " %10" PRId64 " %10" PRId64 " %10" PRId64
                  " %10" PRId64 " %10" PRId64,
                  title, count, f.cpu, f.elapsed, f.disk, f.query, f.current, rows);
    return text;
}

} // namespace

CReferenceAnalyzer::CReferenceAnalyzer(const CCommandTypeCatalog& catalog, bool showSys,
                                       std::string flags)
    : m_catalog(catalog), m_bShowSys(showSys), m_strFlags(std::move(flags)) {}

void CReferenceAnalyzer::SplitBlocks(std::string_view text, const std::string& path) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    std::string block;
    int count = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const bool separator = l == "=====================" || l.rfind("Dump file ", 0) == 0 ||
                               l.rfind("*** ", 0) == 0;
        if (separator) {
            if (count > 0) {
                AnalyzeBlock(block, path);
            }
            block.clear();
            count = 0;
            continue;
        }
        block += l + "\r\n";
        ++count;
        if (i + 1 == lines.size()) {
            AnalyzeBlock(block, path);
            block.clear();
            count = 0;
        }
    }
}

void CReferenceAnalyzer::AnalyzeBlock(const std::string& block, const std::string& path) {
    CReferenceRecord record;
    const std::size_t u = path.rfind('_');
    const std::size_t d = path.rfind('.');
    if (u != std::string::npos && u > 0 && d != std::string::npos && d > u) {
        record.pid = path.substr(u + 1, d - u - 1);
    }
    const std::size_t h = block.find("\r\n");
    const std::string header = block.substr(0, h);
    if (block.rfind("PARSING IN CURSOR", 0) == 0) {
        record.node = block;
        if (!ReadHeader(header, record)) {
            return;
        }
        std::string cursorId;
        const std::size_t len = header.find("len");
        if (len != std::string::npos && len > 19) {
            cursorId = header.substr(18, len - 1 - 18);
        }
        const std::size_t e = block.find("END OF STMT");
        std::string rest;
        if (e == std::string::npos) {
            rest = block.substr(h + 2);
        } else {
            if (e > h + 2) {
                record.sql = block.substr(h + 2, e - (h + 2));
            }
            rest = block.substr(e + 11);
        }
        ParseStatLines(rest, record, cursorId);
        ParseCallLines(rest, record, cursorId);
        m_records.push_back(record);
    } else if (block.rfind("PARSE ERROR", 0) == 0) {
        record.node = block;
        if (!ReadHeader(header, record)) {
            return;
        }
        record.sql = block.substr(h + 2);
        const std::string err(GetText(header, "err=", " "));
        if (err.size() == 3) {
            record.error = "ORA-00" + err;
        } else if (err.size() == 4) {
            record.error = "ORA-0" + err;
        } else if (err.size() == 5) {
            record.error = "ORA-" + err;
        }
        m_records.push_back(record);
    }
}

bool CReferenceAnalyzer::ReadHeader(std::string_view header, CReferenceRecord& record) const {
    const std::int64_t uid = GetNumber(header, "uid=", " ");
    if (uid == 0 && !m_bShowSys) {
        return false;
    }
    const std::int64_t oct = GetNumber(header, "oct=", " ");
    const int code = oct < -1000000 || oct > 1000000 ? -1 : static_cast<int>(oct);
    if (!m_catalog.IsCommandTypeShown(m_strFlags, code)) {
        return false;
    }
    record.octName = m_catalog.GetCommandTypeName(code);
    record.userId = uid;
    return true;
}

void CReferenceAnalyzer::ParseCallLines(std::string_view rest, CReferenceRecord& record,
                                        const std::string& cursorId) {
    if (rest.empty()) {
        return;
    }
    const std::string parse = "PARSE " + cursorId + ":";
    const std::string exec = "EXEC " + cursorId + ":";
    const std::string fetch = "FETCH " + cursorId + ":";
    WalkLines(rest, [&](std::string_view line) {
        const auto common = [&](CCallFigures& f) {
            ++f.count;
            f.cpu += GetNumber(line, ":c=", ",");
            f.elapsed += GetNumber(line, ",e=", ",");
            f.disk += GetNumber(line, ",p=", ",");
            f.query += GetNumber(line, ",cr=", ",");
            f.current += GetNumber(line, ",cu=", ",");
        };
        if (line.find(parse) != std::string_view::npos) {
            common(record.parse);
            record.parse.misses += GetNumber(line, ",mis=", ",");
        }
        if (line.find(exec) != std::string_view::npos) {
            common(record.exec);
            record.exec.misses += GetNumber(line, ",mis=", ",");
            record.exec.rows += GetNumber(line, ",r=", ",");
        }
        if (line.find(fetch) != std::string_view::npos) {
            common(record.fetch);
            record.fetch.rows += GetNumber(line, ",r=", ",");
        }
    });
    CCallFigures& t = record.total;
    const CCallFigures& p = record.parse;
    const CCallFigures& e = record.exec;
    const CCallFigures& f = record.fetch;
    t.count = p.count + e.count + f.count;
    t.cpu = p.cpu + e.cpu + f.cpu;
    t.elapsed = p.elapsed + e.elapsed + f.elapsed;
    t.disk = p.disk + e.disk + f.disk;
    t.query = p.query + e.query + f.query;
    t.current = p.current + e.current + f.current;
    t.rows = e.rows + f.rows;
    const std::string dashes =
        "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n";
    record.callStats =
        "call\tcount\tcpu      elapsed    disk       query      current     rows\r\n" + dashes +
        Row("Parse   ", p.count, p, 0) + "\r\n" + Row("Execute ", e.count, e, e.rows) + "\r\n" +
        Row("Fetch   ", f.count, f, f.rows) + "\r\n" + dashes + Row("Total   ", t.count, t, t.rows);
}

void CReferenceAnalyzer::ParseStatLines(std::string_view rest, CReferenceRecord& record,
                                        const std::string& cursorId) {
    if (rest.empty()) {
        return;
    }
    const std::string pattern = "STAT " + cursorId + " ";
    std::map<std::int64_t, CRow> rows;
    WalkLines(rest, [&](std::string_view line) {
        if (line.substr(0, pattern.size()) != pattern) {
            return;
        }
        const std::int64_t id = GetNumber(line, " id=", " ");
        const std::int64_t pid = GetNumber(line, " pid=", " ");
        const std::int64_t cnt = GetNumber(line, " cnt=", " ");
        const std::string op(GetText(line, "op='", "'"));
        std::int64_t depth = 0;
        if (pid != 0) {
            depth = (rows.count(pid) != 0 ? rows[pid].depth : 0) + 1;
        }
        if (rows.count(id) == 0) {
            rows[id] = CRow{depth, op, cnt};
        }
    });
    std::string text;
    for (const auto& [id, row] : rows) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%7" PRId64, row.rows);
        text += std::string(figure) + "  " +
                std::string(static_cast<std::size_t>(row.depth), '\t') + row.operation + "\r\n";
    }
    if (!text.empty()) {
        text = "Rows     Row Source Operation\r\n"
               "-------  ---------------------------------------------------\r\n" +
               text;
    }
    record.rowSource = text;
}
