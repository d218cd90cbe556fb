#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes realistic Oracle SQL trace text, the same bytes for the same seed: the file header,
// "*** " lines, separators, cursor blocks with multi-line SQL text and their PARSE, EXEC,
// FETCH, WAIT, STAT, BINDS, XCTEND, ERROR, UNMAP and CLOSE lines, "*** ACTION NAME:" lines
// that change the session's action, recursive SYS statements (dep=1) whose
// blocks cut their caller's calls off (so the caller's later calls follow a later
// separator, as servers write them), SYS statements at depth 0 and parse errors. Cursors the
// session keeps open are executed again later with no new header, after other cursors'
// blocks and time stamps, and their plans are dumped when they close.
class CTraceGenerator {
public:
    enum class LineEnd { Lf, CrLf };

    // Statement blocks written so far, each opened by a separator: the records a reader
    // that shows SYS statements makes of them.
    struct Counts {
        std::int64_t cursorBlocks = 0;
        std::int64_t sysCursorBlocks = 0; // uid=0
        std::int64_t parseErrors = 0;
        std::int64_t sysParseErrors = 0; // uid=0

        std::int64_t Statements() const { return cursorBlocks + parseErrors; }
        std::int64_t SysStatements() const { return sysCursorBlocks + sysParseErrors; }
    };

    CTraceGenerator(std::uint64_t seed, LineEnd lineEnd);

    // The lines a server writes at the top of a new trace file.
    void AppendHeader(std::string& out);
    // Appends whole statements until `out` has grown by at least `bytes`.
    void AppendStatements(std::string& out, std::int64_t bytes);
    // Writes a trace of at least `bytes` bytes (ending after a whole statement) to `path`,
    // replacing the file, or appends statements only when `append` is set. Throws
    // std::runtime_error when the file cannot be written.
    void WriteFile(const std::string& path, std::int64_t bytes, bool append);

    const Counts& GetCounts() const { return m_counts; }

private:
    struct Cursor {
        std::uint64_t id = 0;
        std::int64_t uid = 0;
        int oct = 0;
        int depth = 0;
        std::int64_t planHash = 0;
    };

    void AppendStatement(std::string& out);
    void AppendExecution(std::string& out, const Cursor& cursor);
    void KeepOpen(std::string& out, const Cursor& cursor);
    void AppendCursorBlock(std::string& out, const Cursor& cursor, std::string_view sql);
    void AppendCalls(std::string& out, const Cursor& cursor);
    void AppendRecursiveStatement(std::string& out);
    void AppendParseError(std::string& out);
    void AppendBinds(std::string& out, const Cursor& cursor);
    void AppendFetches(std::string& out, const Cursor& cursor);
    void AppendStatLines(std::string& out, const Cursor& cursor);
    void AppendWait(std::string& out, const Cursor& cursor, std::string_view event);
    void AppendCall(std::string& out, std::string_view kind, const Cursor& cursor,
                    std::int64_t rows);
    void AppendError(std::string& out, const Cursor& cursor);
    void AppendClose(std::string& out, const Cursor& cursor);
    void AppendTimeStamp(std::string& out);
    void AppendSeparator(std::string& out);

    std::string MakeSql(int& oct);
    std::string MakeSelect();
    std::string MakeInsert();
    std::string MakeUpdate();
    std::string MakeDelete();
    std::string MakeBlock();
    std::uint64_t NewCursorId();
    std::int64_t ApplicationUser();

    void EndLine(std::string& out) const;
    void AppendNumber(std::string& out, std::int64_t value) const;
    std::string_view Pick(const std::string_view* items, std::size_t count);
    std::uint64_t Next();
    std::int64_t Below(std::int64_t bound);
    bool Chance(int percent);

    std::uint64_t m_nState;
    LineEnd m_lineEnd;
    std::int64_t m_nTime = 1204267391460858;
    Counts m_counts;
    std::vector<Cursor> m_open; // cursors the session keeps open, oldest first
};
