#include "CTraceGenerator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::string_view kTables[] = {"ORDERS",    "ORDER_LINES", "CUSTOMERS", "PRODUCTS",
                                        "INVOICES",  "PAYMENTS",    "SHIPMENTS", "STOCK",
                                        "EMPLOYEES", "DEPARTMENTS", "ACCOUNTS",  "LEDGER"};
constexpr std::string_view kColumns[] = {"ID",     "STATUS",      "CREATED", "AMOUNT",
                                         "NAME",   "CUSTOMER_ID", "QTY",     "PRICE",
                                         "REGION", "UPDATED_BY",  "NOTE",    "DUE_DATE"};
constexpr std::string_view kDictionary[] = {
    "select obj#,type#,ctime,mtime,stime, status, dataobj#, flags, oid$, spare1, spare2 from "
    "obj$ where owner#=:1 and name=:2 and namespace=:3 and remoteowner is null and linkname is "
    "null and subname is null",
    "select pos#,intcol#,col#,spare1,bo#,spare2,spare3 from icol$ where obj#=:1",
    "select con#,obj#,rcon#,enabled,nvl(defer,0),spare2,spare3,refact from cdef$ where robj#=:1",
    "select intcol#,nvl(pos#,0),col#,nvl(spare1,0) from ccol$ where con#=:1",
    "select order#,columns,types from access$ where d_obj#=:1",
    "select o.owner#,o.name,o.namespace,o.remoteowner,o.linkname,o.subname from obj$ o where "
    "o.obj#=:1"};
constexpr std::string_view kPlanOperations[] = {
    "TABLE ACCESS FULL", "TABLE ACCESS BY INDEX ROWID BATCHED",
    "INDEX RANGE SCAN",  "INDEX UNIQUE SCAN",
    "HASH JOIN",         "NESTED LOOPS",
    "SORT ORDER BY",     "HASH GROUP BY",
    "BUFFER SORT"};
constexpr std::string_view kIoWaits[] = {"db file sequential read", "db file scattered read",
                                         "direct path read", "PGA memory operation"};
// Three-, four- and five-digit error numbers, as "err=" writes them.
constexpr std::int64_t kParseErrors[] = {942, 904, 923, 1756, 6550, 10980};
constexpr std::string_view kSeparator = "=====================";
constexpr std::string_view kActions[] = {"load orders", "price lines", "post ledger",
                                         "ship (express)", "close day"};
// Errors a statement's execution may end with: no data found, unique constraint, deadlock.
constexpr std::int64_t kRuntimeErrors[] = {1403, 1, 60};

template <std::size_t N> constexpr std::size_t Count(const std::string_view (&)[N]) {
    return N;
}

} // namespace

CTraceGenerator::CTraceGenerator(std::uint64_t seed, LineEnd lineEnd)
    : m_nState(seed), m_lineEnd(lineEnd) {}

void CTraceGenerator::AppendHeader(std::string& out) {
    constexpr std::string_view lines[] = {
        "Trace file /u01/app/oracle/diag/rdbms/velq/VELQ1/trace/VELQ1_ora_4242.trc",
        "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production",
        "Version 19.12.0.0.0",
        "Build label:    RDBMS_19.12.0.0.0DBRU_LINUX.X64_210715",
        "ORACLE_HOME:    /u01/app/oracle/product/19.0.0/dbhome_1",
        "System name:\tLinux",
        "Node name:\tdbhost01.example.com",
        "Release:\t4.14.35-2047.510.5.3.el7uek.x86_64",
        "Version:\t#2 SMP Wed Jan 12 12:07:06 PST 2022",
        "Machine:\tx86_64",
        "Instance name: VELQ1",
        "Redo thread mounted by this instance: 1",
        "Oracle process number: 96",
        "Unix process pid: 4242, image: oracle@dbhost01.example.com",
        "",
        "",
        "*** 2024-03-26T18:41:01.013083-07:00 (PDB1(3))",
        "*** SESSION ID:(45.14794) 2024-03-26T18:41:01.013092-07:00",
        "*** CLIENT ID:() 2024-03-26T18:41:01.013095-07:00",
        "*** SERVICE NAME:(pdb1) 2024-03-26T18:41:01.013097-07:00",
        "*** MODULE NAME:(SQL*Plus) 2024-03-26T18:41:01.013099-07:00",
        "*** ACTION NAME:() 2024-03-26T18:41:01.013101-07:00",
        " "};
    for (std::string_view line : lines) {
        out += line;
        EndLine(out);
    }
}

void CTraceGenerator::AppendStatements(std::string& out, std::int64_t bytes) {
    const std::size_t target = out.size() + static_cast<std::size_t>(bytes > 0 ? bytes : 0);
    while (out.size() < target) {
        AppendStatement(out);
    }
}

void CTraceGenerator::WriteFile(const std::string& path, std::int64_t bytes, bool append) {
    std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (file == nullptr) {
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    }
    constexpr std::int64_t kChunk = 8 << 20;
    std::string text;
    if (!append) {
        AppendHeader(text);
    }
    std::int64_t written = 0;
    int error = 0;
    while (error == 0) {
        const std::int64_t remaining = bytes - written - static_cast<std::int64_t>(text.size());
        if (remaining > 0) {
            AppendStatements(text, std::min(kChunk, remaining));
        }
        if (text.empty()) {
            break;
        }
        if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
            error = errno;
        }
        written += static_cast<std::int64_t>(text.size());
        text.clear();
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
    }
}

// Most statements are new cursors; some are further executions of a cursor the session keeps
// open, written with no header wherever the session happens to be. A cursor kept open has its
// plan dumped when it is finally closed, far after its own block.
void CTraceGenerator::AppendStatement(std::string& out) {
    if (Chance(3)) {
        AppendTimeStamp(out);
    }
    if (Chance(4)) {
        AppendParseError(out);
        return;
    }
    if (!m_open.empty() && Chance(30)) {
        const Cursor cursor =
            m_open[static_cast<std::size_t>(Below(static_cast<std::int64_t>(m_open.size())))];
        AppendExecution(out, cursor);
        return;
    }
    Cursor cursor;
    cursor.id = NewCursorId();
    cursor.planHash = Below(4294967295);
    cursor.uid = Chance(10) ? 0 : ApplicationUser();
    const std::string sql = MakeSql(cursor.oct);
    AppendCursorBlock(out, cursor, sql);
    AppendCall(out, "PARSE", cursor, 0);
    AppendWait(out, cursor, "SQL*Net message to client");
    AppendExecution(out, cursor);
    if (Chance(40)) {
        KeepOpen(out, cursor);
    } else {
        AppendClose(out, cursor);
    }
}

// One execution of a cursor: binds, the recursive statements it runs (their blocks end the
// caller's block, so its calls follow a later separator), then its execute and fetch calls.
void CTraceGenerator::AppendExecution(std::string& out, const Cursor& cursor) {
    if (Chance(40)) {
        AppendBinds(out, cursor);
    }
    const std::int64_t recursive = Chance(35) ? 1 + Below(3) : 0;
    for (std::int64_t i = 0; i < recursive; ++i) {
        AppendRecursiveStatement(out);
    }
    if (Chance(10)) {
        AppendTimeStamp(out);
    }
    AppendCalls(out, cursor);
}

// Keeps a cursor open for later executions; the oldest open cursor is closed when too many
// are open.
void CTraceGenerator::KeepOpen(std::string& out, const Cursor& cursor) {
    constexpr std::size_t kMaxOpen = 12;
    if (m_open.size() == kMaxOpen) {
        AppendClose(out, m_open.front());
        m_open.erase(m_open.begin());
    }
    m_open.push_back(cursor);
}

void CTraceGenerator::AppendCursorBlock(std::string& out, const Cursor& cursor,
                                        std::string_view sql) {
    AppendSeparator(out);
    out += "PARSING IN CURSOR #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += " len=";
    AppendNumber(out, static_cast<std::int64_t>(sql.size()));
    out += " dep=";
    AppendNumber(out, cursor.depth);
    out += " uid=";
    AppendNumber(out, cursor.uid);
    out += " oct=";
    AppendNumber(out, cursor.oct);
    out += " lid=";
    AppendNumber(out, cursor.uid);
    out += " tim=";
    AppendNumber(out, m_nTime);
    // The server derives the hash value and the SQL id from the text: the same text always
    // has the same ones.
    std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
    for (const char c : sql) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    out += " hv=";
    AppendNumber(out, static_cast<std::int64_t>(hash >> 33));
    out += " ad='";
    AppendNumber(out, 60000000 + Below(9999999));
    out += "' sqlid='";
    for (int i = 0; i < 13; ++i) {
        out += "0123456789abcdfghjkmnpqrstuvwxyz"[(hash >> (5 * i % 60)) & 31];
    }
    out += "'";
    EndLine(out);
    for (std::size_t start = 0; start <= sql.size();) {
        const std::size_t end = std::min(sql.find('\n', start), sql.size());
        out += sql.substr(start, end - start);
        EndLine(out);
        start = end + 1;
    }
    out += "END OF STMT";
    EndLine(out);
    if (cursor.uid == 0) {
        ++m_counts.sysCursorBlocks;
    }
    ++m_counts.cursorBlocks;
}

void CTraceGenerator::AppendCalls(std::string& out, const Cursor& cursor) {
    AppendCall(out, "EXEC", cursor, cursor.oct == 3 ? 0 : 1 + Below(50));
    if (Chance(2)) {
        AppendError(out, cursor);
    }
    if (cursor.oct == 3) {
        AppendFetches(out, cursor);
    } else if (cursor.depth == 0 && Chance(50)) {
        AppendWait(out, cursor, "log file sync");
        out += "XCTEND rlbk=0, rd_only=0, tim=";
        AppendNumber(out, m_nTime);
        EndLine(out);
    }
    if (cursor.depth == 0) {
        AppendWait(out, cursor, "SQL*Net message from client");
    }
    if (Chance(20)) {
        AppendTimeStamp(out);
    }
}

void CTraceGenerator::AppendRecursiveStatement(std::string& out) {
    Cursor cursor;
    cursor.id = NewCursorId();
    cursor.planHash = Below(4294967295);
    cursor.depth = 1;
    cursor.oct = 3;
    AppendCursorBlock(out, cursor, Pick(kDictionary, Count(kDictionary)));
    AppendCall(out, "PARSE", cursor, 0);
    AppendBinds(out, cursor);
    AppendCalls(out, cursor);
    AppendClose(out, cursor);
}

void CTraceGenerator::AppendParseError(std::string& out) {
    int oct = 0;
    const std::string sql = MakeSql(oct);
    const std::int64_t uid = Chance(10) ? 0 : ApplicationUser();
    AppendSeparator(out);
    out += "PARSE ERROR #";
    AppendNumber(out, static_cast<std::int64_t>(NewCursorId()));
    out += ":len=";
    AppendNumber(out, static_cast<std::int64_t>(sql.size()));
    out += " dep=0 uid=";
    AppendNumber(out, uid);
    out += " oct=";
    AppendNumber(out, oct);
    out += " lid=";
    AppendNumber(out, uid);
    out += " tim=";
    AppendNumber(out, m_nTime);
    out += " err=";
    AppendNumber(out, kParseErrors[Below(std::size(kParseErrors))]);
    EndLine(out);
    for (char c : sql) {
        if (c == '\n') {
            EndLine(out);
        } else {
            out += c;
        }
    }
    EndLine(out);
    if (uid == 0) {
        ++m_counts.sysParseErrors;
    }
    ++m_counts.parseErrors;
}

void CTraceGenerator::AppendBinds(std::string& out, const Cursor& cursor) {
    out += "BINDS #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += ":";
    EndLine(out);
    EndLine(out);
    const std::int64_t binds = 1 + Below(3);
    for (std::int64_t i = 0; i < binds; ++i) {
        out += " Bind#";
        AppendNumber(out, i);
        EndLine(out);
        out += "  oacdty=02 mxl=22(22) mxlc=00 mal=00 scl=00 pre=00";
        EndLine(out);
        out += "  oacflg=00 fl2=1000001 frm=00 csi=00 siz=24 off=0";
        EndLine(out);
        out += "  kxsbbbfp=7fc23b65b610  bln=22  avl=03  flg=05";
        EndLine(out);
        out += "  value=";
        AppendNumber(out, Below(100000));
        EndLine(out);
    }
}

void CTraceGenerator::AppendFetches(std::string& out, const Cursor& cursor) {
    const std::int64_t fetches = cursor.depth > 0 ? 1 : 1 + Below(12);
    for (std::int64_t i = 0; i < fetches; ++i) {
        if (Chance(15)) {
            AppendWait(out, cursor, Pick(kIoWaits, Count(kIoWaits)));
        }
        if (cursor.depth == 0) {
            AppendWait(out, cursor, "SQL*Net message to client");
        }
        AppendCall(out, "FETCH", cursor, i + 1 < fetches ? 15 : Below(15));
        if (cursor.depth == 0 && i + 1 < fetches) {
            AppendWait(out, cursor, "SQL*Net message from client");
        }
    }
}

void CTraceGenerator::AppendStatLines(std::string& out, const Cursor& cursor) {
    const std::int64_t rows = 1 + Below(7);
    for (std::int64_t id = 1; id <= rows; ++id) {
        out += "STAT #";
        AppendNumber(out, static_cast<std::int64_t>(cursor.id));
        out += " id=";
        AppendNumber(out, id);
        out += " cnt=";
        AppendNumber(out, Below(5000));
        out += " pid=";
        AppendNumber(out, id == 1 ? 0 : 1 + Below(id - 1));
        out += " pos=1 obj=";
        AppendNumber(out, 18 + Below(90000));
        out += " op='";
        out += Pick(kPlanOperations, Count(kPlanOperations));
        out += " (cr=";
        AppendNumber(out, Below(400));
        out += " pr=0 pw=0 str=1 time=";
        AppendNumber(out, Below(3000));
        out += " us cost=";
        AppendNumber(out, 2 + Below(300));
        out += " size=";
        AppendNumber(out, Below(80000));
        out += " card=";
        AppendNumber(out, 1 + Below(2000));
        out += ")'";
        EndLine(out);
    }
}

void CTraceGenerator::AppendWait(std::string& out, const Cursor& cursor, std::string_view event) {
    const std::int64_t elapsed = event == "SQL*Net message from client" ? Below(40000) : Below(900);
    m_nTime += elapsed;
    out += "WAIT #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += ": nam='";
    out += event;
    out += "' ela= ";
    AppendNumber(out, elapsed);
    out += " driver id=1952673792 #bytes=1 p3=0 obj#=-1 tim=";
    AppendNumber(out, m_nTime);
    EndLine(out);
}

void CTraceGenerator::AppendCall(std::string& out, std::string_view kind, const Cursor& cursor,
                                 std::int64_t rows) {
    const std::int64_t cpu = Chance(80) ? Below(100) : Below(2000000);
    const std::int64_t elapsed = cpu + Below(cpu / 4 + 50);
    m_nTime += elapsed;
    out += kind;
    out += " #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += ":c=";
    AppendNumber(out, cpu);
    out += ",e=";
    AppendNumber(out, elapsed);
    out += ",p=";
    AppendNumber(out, Chance(70) ? 0 : Below(500));
    out += ",cr=";
    AppendNumber(out, Below(2000));
    out += ",cu=";
    AppendNumber(out, Chance(60) ? 0 : Below(40));
    out += ",mis=";
    AppendNumber(out, Chance(90) ? 0 : 1);
    out += ",r=";
    AppendNumber(out, rows);
    out += ",dep=";
    AppendNumber(out, cursor.depth);
    out += ",og=";
    AppendNumber(out, cursor.depth > 0 ? 4 : 1);
    out += ",plh=";
    AppendNumber(out, cursor.planHash);
    out += ",tim=";
    AppendNumber(out, m_nTime);
    EndLine(out);
}

void CTraceGenerator::AppendError(std::string& out, const Cursor& cursor) {
    out += "ERROR #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += ":err=";
    AppendNumber(out, kRuntimeErrors[Below(std::size(kRuntimeErrors))]);
    out += " tim=";
    AppendNumber(out, m_nTime);
    EndLine(out);
}

// A query's plan is dumped when its cursor closes; a cursor that mapped temporary space
// unmaps it first.
void CTraceGenerator::AppendClose(std::string& out, const Cursor& cursor) {
    if (cursor.oct == 3) {
        AppendStatLines(out, cursor);
    }
    if (Chance(5)) {
        out += "UNMAP #";
        AppendNumber(out, static_cast<std::int64_t>(cursor.id));
        out += ":c=0,e=";
        AppendNumber(out, 1 + Below(30));
        out += ",dep=";
        AppendNumber(out, cursor.depth);
        out += ",og=1,tim=";
        AppendNumber(out, m_nTime);
        EndLine(out);
    }
    out += "CLOSE #";
    AppendNumber(out, static_cast<std::int64_t>(cursor.id));
    out += ":c=0,e=";
    AppendNumber(out, 1 + Below(20));
    out += ",dep=";
    AppendNumber(out, cursor.depth);
    out += ",type=";
    AppendNumber(out, Below(4));
    out += ",tim=";
    AppendNumber(out, m_nTime);
    EndLine(out);
}

void CTraceGenerator::AppendTimeStamp(std::string& out) {
    const std::int64_t seconds = (m_nTime / 1000000) % 86400;
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "*** 2024-03-26T%02d:%02d:%02d.%06d-07:00",
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60), static_cast<int>(m_nTime % 1000000));
    EndLine(out);
    out += text.data();
    EndLine(out);
    if (Chance(25)) {
        out += "*** ACTION NAME:(";
        out += Pick(kActions, Count(kActions));
        out += ") ";
        out += text.data() + 4;
        EndLine(out);
    }
}

void CTraceGenerator::AppendSeparator(std::string& out) {
    out += kSeparator;
    EndLine(out);
}

std::string CTraceGenerator::MakeSql(int& oct) {
    const std::int64_t kind = Below(100);
    if (kind < 55) {
        oct = 3;
        return MakeSelect();
    }
    if (kind < 70) {
        oct = 2;
        return MakeInsert();
    }
    if (kind < 82) {
        oct = 6;
        return MakeUpdate();
    }
    if (kind < 90) {
        oct = 7;
        return MakeDelete();
    }
    oct = 47;
    return MakeBlock();
}

std::string CTraceGenerator::MakeSelect() {
    const std::string_view table = Pick(kTables, Count(kTables));
    const std::string_view other = Pick(kTables, Count(kTables));
    std::string sql = "SELECT t.";
    sql += Pick(kColumns, Count(kColumns));
    sql += ", t.";
    sql += Pick(kColumns, Count(kColumns));
    sql += ", o.";
    sql += Pick(kColumns, Count(kColumns));
    sql += "\n  FROM ";
    sql += table;
    sql += " t\n  JOIN ";
    sql += other;
    sql += " o ON o.ID = t.";
    sql += Pick(kColumns, Count(kColumns));
    if (Chance(10)) {
        sql += "\n"; // servers keep the blank lines of the statement text
    }
    sql += "\n WHERE t.STATUS = :1\n   AND t.";
    sql += Pick(kColumns, Count(kColumns));
    sql += " > ";
    sql += std::to_string(Below(1000000));
    if (Chance(5)) {
        // Bytes that are not ASCII: Latin-1 from old clients, UTF-8 from newer ones.
        sql += Chance(50) ? "\n   AND t.NAME <> 'Caf\xE9'" : "\n   AND t.NAME <> 'Caf\xC3\xA9'";
    }
    if (Chance(40)) {
        sql += "\n ORDER BY 1";
    }
    return sql;
}

std::string CTraceGenerator::MakeInsert() {
    std::string sql = "INSERT INTO ";
    sql += Pick(kTables, Count(kTables));
    sql += " (ID, STATUS, AMOUNT, CREATED)\nVALUES (:1, :2, :3, SYSDATE)";
    return sql;
}

std::string CTraceGenerator::MakeUpdate() {
    std::string sql = "UPDATE ";
    sql += Pick(kTables, Count(kTables));
    sql += "\n   SET ";
    sql += Pick(kColumns, Count(kColumns));
    sql += " = :1\n WHERE ID = ";
    sql += std::to_string(Below(100000));
    return sql;
}

std::string CTraceGenerator::MakeDelete() {
    std::string sql = "DELETE FROM ";
    sql += Pick(kTables, Count(kTables));
    sql += " WHERE ID = :1";
    return sql;
}

std::string CTraceGenerator::MakeBlock() {
    std::string sql = "BEGIN\n\tpkg_";
    sql += Pick(kTables, Count(kTables));
    sql += ".process(p_id => :1, p_batch => ";
    sql += std::to_string(Below(1000));
    sql += ");\nEND;";
    return sql;
}

// Numbers are used again once closed, never while a cursor holds them open.
std::uint64_t CTraceGenerator::NewCursorId() {
    while (true) {
        const std::uint64_t id =
            Chance(30) ? 1 + static_cast<std::uint64_t>(Below(40))
                       : 139838050000000 + static_cast<std::uint64_t>(Below(999999999));
        if (std::none_of(m_open.begin(), m_open.end(),
                         [id](const Cursor& open) { return open.id == id; })) {
            return id;
        }
    }
}

std::int64_t CTraceGenerator::ApplicationUser() {
    constexpr std::int64_t users[] = {33, 108, 112, 5430};
    return users[Below(std::size(users))];
}

void CTraceGenerator::EndLine(std::string& out) const {
    out += m_lineEnd == LineEnd::CrLf ? "\r\n" : "\n";
}

void CTraceGenerator::AppendNumber(std::string& out, std::int64_t value) const {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), result.ptr);
}

std::string_view CTraceGenerator::Pick(const std::string_view* items, std::size_t count) {
    return items[Below(static_cast<std::int64_t>(count))];
}

// SplitMix64: small, fast, and the same sequence on every platform.
std::uint64_t CTraceGenerator::Next() {
    std::uint64_t z = (m_nState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::int64_t CTraceGenerator::Below(std::int64_t bound) {
    return static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(bound));
}

bool CTraceGenerator::Chance(int percent) {
    return Below(100) < percent;
}
