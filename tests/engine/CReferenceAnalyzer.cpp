#include "CReferenceAnalyzer.h"

#include "CCommandTypeCatalog.h"
#include "CEventNames.h"
#include "TraceText.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace {

std::string Row(const char* title, std::int64_t count, const CSelfFigures& f, std::int64_t rows) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s%6" PRId64 "  %8" PRId64 " %10" PRId64 " %10" PRId64 " %10" PRId64
                  " %10" PRId64 " %10" PRId64,
                  title, count, f.cpu, f.elapsed, f.disk, f.query, f.current, rows);
    return text;
}

CSelfFigures Inclusive(const CCallFigures& f) {
    return {f.cpu, f.elapsed, f.disk, f.query, f.current};
}

// The number after "#" where a cursor line's name ends, or "" when no digits follow.
std::string CursorNumber(const std::string& line, std::size_t hash) {
    std::size_t end = hash + 1;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])) != 0) {
        ++end;
    }
    return hash < line.size() && line[hash] == '#' ? line.substr(hash + 1, end - hash - 1) : "";
}

// For "PARSE #12:...", "STAT #12 id=..." and the like: the kind letter and the number.
bool CursorLine(const std::string& line, char& kind, std::string& cursor) {
    static const std::pair<std::string, char> kNames[] = {
        {"PARSE #", 'P'}, {"EXEC #", 'E'}, {"FETCH #", 'F'}, {"STAT #", 'S'}, {"WAIT #", 'W'}};
    for (const auto& [name, letter] : kNames) {
        if (line.rfind(name, 0) != 0) {
            continue;
        }
        cursor = CursorNumber(line, name.size() - 1);
        const std::size_t after = name.size() + cursor.size();
        const char end = letter == 'S' ? ' ' : ':';
        kind = letter;
        return !cursor.empty() && cursor.size() < 20 && after < line.size() && line[after] == end;
    }
    return false;
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
    const std::vector<CContext> contexts = Contexts(lines);
    std::vector<std::string> block;
    std::vector<CContext> blockContexts;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const bool separator = l == "=====================" || l.rfind("Dump file ", 0) == 0 ||
                               l.rfind("*** ", 0) == 0;
        if (separator) {
            AnalyzeBlock(block, blockContexts, path);
            block.clear();
            blockContexts.clear();
        } else {
            block.push_back(l);
            blockContexts.push_back(contexts[i]);
        }
    }
    AnalyzeBlock(block, blockContexts, path);
    for (CReferenceRecord& record : m_records) {
        Finish(record);
    }
}

// The process is the last one a line named (at a line's start, or in "*** [ ... ]"); the
// session the last one a header of that process named, a header being a run of "*** " lines
// that applies at the first other line.
std::vector<CReferenceAnalyzer::CContext>
CReferenceAnalyzer::Contexts(const std::vector<std::string>& lines) {
    const auto named = [](std::string line, std::string& process) {
        if (line.rfind("*** [ ", 0) == 0) {
            line = line.substr(6);
        }
        for (const std::string name : {"Unix process pid: ", "Windows thread id: "}) {
            if (line.rfind(name, 0) == 0) {
                std::size_t end = name.size();
                while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) {
                    ++end;
                }
                process = line.substr(name.size(), end - name.size());
                return !process.empty();
            }
        }
        return false;
    };
    std::vector<CContext> contexts;
    std::string process;
    bool stated = false;
    std::map<std::string, std::string> sessions; // by process
    std::string headerProcess;
    std::string headerSession;
    bool headerSwitches = false;
    bool headerNamesSession = false;
    for (const std::string& line : lines) {
        std::string namedProcess;
        if (line.rfind("*** ", 0) == 0) {
            if (named(line, namedProcess)) {
                headerProcess = namedProcess;
                headerSwitches = true;
            } else if (const std::size_t close = line.rfind(')');
                       line.rfind("*** SESSION ID:(", 0) == 0 && close != std::string::npos &&
                       close >= 16) {
                headerSession = line.substr(16, close - 16);
                headerNamesSession = true;
            }
        } else {
            if (headerSwitches) {
                process = headerProcess;
                stated = true;
            }
            if (headerNamesSession) {
                sessions[process] = headerSession;
            }
            headerSwitches = headerNamesSession = false;
            if (named(line, namedProcess)) {
                process = namedProcess;
                stated = true;
            }
        }
        CContext context{stated ? process : std::string(), sessions[process], {}};
        context.key = context.process + "/" + context.session;
        contexts.push_back(context);
    }
    return contexts;
}

void CReferenceAnalyzer::AnalyzeBlock(const std::vector<std::string>& lines,
                                      const std::vector<CContext>& contexts,
                                      const std::string& path) {
    if (lines.empty()) {
        return;
    }
    m_strContext = contexts[0].key;
    const int own = StartStatement(lines, contexts[0], path);
    const bool statement =
        lines[0].rfind("PARSING IN CURSOR", 0) == 0 || lines[0].rfind("PARSE ERROR", 0) == 0;
    std::string ownCursorId;
    const std::size_t len = lines[0].find("len");
    if (len != std::string::npos && len > 19) {
        ownCursorId = lines[0].substr(18, len - 1 - 18);
    }
    const bool cursorBlock = lines[0].rfind("PARSING IN CURSOR", 0) == 0;
    bool rest = false;
    for (std::size_t i = statement ? 1 : 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::size_t restFrom = rest ? 0 : std::string::npos;
        if (cursorBlock && !rest) {
            const std::size_t end = line.find("END OF STMT");
            if (end != std::string::npos) {
                rest = true;
                restFrom = end + 11;
            }
        }
        m_strContext = contexts[i].key;
        ReadLine(line, cursorBlock ? own : -1, ownCursorId, restFrom);
    }
}

// A statement block's record (its index), -1 when it is hidden or not a statement.
int CReferenceAnalyzer::StartStatement(const std::vector<std::string>& lines,
                                       const CContext& context, const std::string& path) {
    const std::string& header = lines[0];
    const bool cursorBlock = header.rfind("PARSING IN CURSOR", 0) == 0;
    if (!cursorBlock && header.rfind("PARSE ERROR", 0) != 0) {
        return -1;
    }
    const std::string number = CursorNumber(header, cursorBlock ? 18 : 12);
    CReferenceRecord record;
    record.cursorBlock = cursorBlock;
    const std::size_t u = path.rfind('_');
    const std::size_t d = path.rfind('.');
    if (!context.process.empty()) {
        record.pid = context.process;
    } else if (u != std::string::npos && u > 0 && d != std::string::npos && d > u) {
        record.pid = path.substr(u + 1, d - u - 1);
    }
    record.session = context.session;
    for (const std::string& line : lines) {
        record.node += line + "\r\n";
    }
    if (!ReadHeader(header, record)) {
        if (!number.empty()) {
            m_bindings[m_strContext][number] = -1;
        }
        return -1;
    }
    const std::size_t h = record.node.find("\r\n");
    if (cursorBlock) {
        const std::size_t e = record.node.find("END OF STMT", h + 2);
        if (e != std::string::npos) {
            record.sql = record.node.substr(h + 2, e - (h + 2));
        }
        record.hasRest = (e == std::string::npos ? h + 2 : e + 11) < record.node.size();
    } else {
        record.sql = record.node.substr(h + 2);
        const std::string err(GetText(header, "err=", " "));
        if (err.size() >= 3 && err.size() <= 5) {
            record.error = std::string("ORA-000").substr(0, 9 - err.size()) + err;
        }
    }
    m_records.push_back(record);
    const int index = static_cast<int>(m_records.size()) - 1;
    if (!number.empty()) {
        m_bindings[m_strContext][number] = index;
    }
    return index;
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

// One line of the file: a cursor's line goes to the statement its number is bound to; in
// the rest of a shown cursor block, the block's own call patterns count anywhere in a line.
void CReferenceAnalyzer::ReadLine(const std::string& line, int own, const std::string& ownCursorId,
                                  std::size_t restFrom) {
    char kind = 0;
    std::string cursor;
    int target = -2; // -2 unbound, -1 hidden
    if (CursorLine(line, kind, cursor)) {
        const std::map<std::string, int>& bindings = m_bindings[m_strContext];
        const auto bound = bindings.find(cursor);
        target = bound == bindings.end() ? -2 : bound->second;
        CReferenceRecord* record =
            target >= 0 ? &m_records[static_cast<std::size_t>(target)] : nullptr;
        if (kind == 'S' && record != nullptr) {
            const std::int64_t id = GetNumber(line, " id=", " ");
            const std::int64_t parent = GetNumber(line, " pid=", " ");
            std::int64_t depth = 0;
            if (parent != 0) {
                const auto it = record->plan.find(parent);
                depth = (it == record->plan.end() ? 0 : it->second.depth) + 1;
            }
            record->plan.emplace(id, CReferenceRecord::CRow{depth,
                                                            std::string(GetText(line, "op='", "'")),
                                                            GetNumber(line, " cnt=", " ")});
        } else if (kind == 'W' && record != nullptr) {
            const std::string event(GetText(line, "nam='", "'"));
            const std::size_t ela = line.find("ela=");
            const std::int64_t elapsed =
                ela == std::string::npos ? 0 : ParseInteger(std::string_view(line).substr(ela + 4));
            const std::uint32_t id = CEventNames::Id(event);
            auto it = std::find_if(record->waits.begin(), record->waits.end(),
                                   [&](const CWaitFigures& w) { return w.event == id; });
            if (it == record->waits.end()) {
                record->waits.push_back({id, 0, 0, 0});
                it = record->waits.end() - 1;
            }
            ++it->count;
            it->max = std::max(it->max, elapsed);
            it->total += elapsed;
        } else if (kind != 'S' && kind != 'W') {
            CSelfFigures self;
            TakeSelf(line, self);
            if (record != nullptr) {
                AddCall(*record, line, kind);
                CSelfFigures& sum = kind == 'P'   ? record->self.parse
                                    : kind == 'E' ? record->self.exec
                                                  : record->self.fetch;
                sum.Add(self);
            }
        }
    }
    if (own < 0 || restFrom == std::string::npos) {
        return;
    }
    for (const char anywhere : {'P', 'E', 'F'}) {
        const std::string name = anywhere == 'P' ? "PARSE " : anywhere == 'E' ? "EXEC " : "FETCH ";
        const bool counted = target == own && kind == anywhere;
        if (!counted && line.find(name + ownCursorId + ":", restFrom) != std::string::npos) {
            AddCall(m_records[static_cast<std::size_t>(own)], line, anywhere);
        }
    }
}

void CReferenceAnalyzer::AddCall(CReferenceRecord& record, const std::string& line, char kind) {
    CCallFigures& f = kind == 'P' ? record.parse : kind == 'E' ? record.exec : record.fetch;
    ++f.count;
    f.cpu += GetNumber(line, ":c=", ",");
    f.elapsed += GetNumber(line, ",e=", ",");
    f.disk += GetNumber(line, ",p=", ",");
    f.query += GetNumber(line, ",cr=", ",");
    f.current += GetNumber(line, ",cu=", ",");
    if (kind != 'F') {
        f.misses += GetNumber(line, ",mis=", ",");
    }
    if (kind != 'P') {
        f.rows += GetNumber(line, ",r=", ",");
    }
}

// tkprof's rule: a call at depth d less the calls at depth d + 1 since the last call at d.
void CReferenceAnalyzer::TakeSelf(const std::string& line, CSelfFigures& self) {
    const std::int64_t depth = std::clamp<std::int64_t>(GetNumber(line, ",dep=", ","), 0, 1000);
    const CSelfFigures call{GetNumber(line, ":c=", ","), GetNumber(line, ",e=", ","),
                            GetNumber(line, ",p=", ","), GetNumber(line, ",cr=", ","),
                            GetNumber(line, ",cu=", ",")};
    std::map<std::int64_t, CSelfFigures>& pending = m_pending[m_strContext];
    self = call;
    self.Subtract(pending[depth]);
    pending[depth] = {};
    if (depth > 0) {
        pending[depth - 1].Add(call);
    }
}

void CReferenceAnalyzer::Finish(CReferenceRecord& record) {
    const CCallFigures& p = record.parse;
    const CCallFigures& e = record.exec;
    const CCallFigures& f = record.fetch;
    CCallFigures& t = record.total;
    t.count = p.count + e.count + f.count;
    t.cpu = p.cpu + e.cpu + f.cpu;
    t.elapsed = p.elapsed + e.elapsed + f.elapsed;
    t.disk = p.disk + e.disk + f.disk;
    t.query = p.query + e.query + f.query;
    t.current = p.current + e.current + f.current;
    t.rows = e.rows + f.rows;
    if (record.hasRest || t.count > 0) {
        const std::string dashes =
            "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n";
        record.callStats =
            "call     count       cpu    elapsed       disk      query    current       rows\r\n" +
            dashes + Row("Parse   ", p.count, Inclusive(p), 0) + "\r\n" +
            Row("Execute ", e.count, Inclusive(e), e.rows) + "\r\n" +
            Row("Fetch   ", f.count, Inclusive(f), f.rows) + "\r\n" + dashes +
            Row("Total   ", t.count, Inclusive(t), t.rows);
    }
    for (const auto& [id, row] : record.plan) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%7" PRId64, row.rows);
        record.rowSource +=
            std::string(figure) + "  " +
            std::string(static_cast<std::size_t>(std::min<std::int64_t>(row.depth, 64)), '\t') +
            row.operation + "\r\n";
    }
    if (!record.rowSource.empty()) {
        record.rowSource = "Rows     Row Source Operation\r\n"
                           "-------  ---------------------------------------------------\r\n" +
                           record.rowSource;
    }
}
