#pragma once

#include "CCursorFigures.h"
#include "CRecordContext.h"
#include "CSharedText.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

// One statement: a "PARSING IN CURSOR" or "PARSE ERROR" block with the figures of every line
// its cursor wrote while the cursor number was bound to it, wherever the line stands in the
// file. Texts are bytes; every line of a text ends with CR LF. The block holds only the lines
// between the statement's header and the next separator. A record read in file mode from a
// plain file keeps where its block lies in the file instead of a copy of it, and so of its SQL
// text. The block's copy and the error, which few records of a plain file have, are
// kept apart so that a record without them pays one pointer for them.
class CStatementRecord : public CCursorFigures {
public:
    // The flags come first, where they fill the figures' last bytes instead of a word of
    // their own.
    // true for a "PARSING IN CURSOR" block, false for a "PARSE ERROR" block.
    bool m_bCursorBlock = false;
    // A cursor block with lines after its header.
    bool m_bHasRest = false;

private:
    // Whether the SQL text is left in File(), read back from the block's lines (CSqlReader).
    bool m_bSqlInFile = false;
    // 1 + the SQL id's first digit, or 0 when the id is not held as a number (m_nSqlIdRest).
    std::uint8_t m_nSqlIdLead = 0;

    // The header's numbers in 8 or 32 bits, where servers' values fit; kWide of the type
    // stands for one kept in full apart. The depth fills the flags' word, with one byte free.
    template <class TNarrow> static constexpr TNarrow kWide = std::numeric_limits<TNarrow>::min();
    std::int8_t m_nDepth = 0;
    std::int32_t m_nUserId = 0;
    std::int32_t m_nHashValue = 0; // as an unsigned value's bits
    // The command-type name of the "oct=" code, held by the catalogue, which outlives every
    // record; one pointer instead of a view's two words.
    const char* m_strOctName = nullptr;

public:
    // The block: copied (Node), or at m_nBlockOffset in File() (m_nBlockBytes bytes as the
    // file holds them, from the header's first byte to the last line's end).
    std::uint64_t m_nBlockOffset = 0;
    std::uint64_t m_nBlockBytes = 0;

    // Identity of the record for the whole life of its reader; later lines of a live
    // trace name the record they add to by it.
    std::uint64_t m_nSerial = 0;

    // The SQL text, each line with its CR LF, unless it is left in the file (SqlInFile): then
    // CSqlReader reads it back. Records of a file that ran the same text may share one copy.
    std::string_view SqlCopy() const { return m_sql.View(); }
    bool SqlInFile() const { return m_bSqlInFile; }
    // The SQL text is the lines of the block in File() between its header and "END OF STMT".
    void LeaveSqlInFile() { m_bSqlInFile = true; }
    const CSharedText& SqlText() const { return m_sql; }
    void SetSql(CSharedText sql) {
        m_sql = std::move(sql);
        m_bSqlInFile = false;
    }
    void AppendSql(std::string_view text) { m_sql = m_sql.Plus(text); }
    bool HasRest() const { return m_bHasRest; }
    // The command-type name, or empty.
    std::string_view OctName() const {
        return m_strOctName != nullptr ? std::string_view(m_strOctName) : std::string_view();
    }
    // `name` must outlive the record: a name of the catalogue or a literal.
    void SetOctName(const char* name) { m_strOctName = name; }
    std::int64_t UserId() const {
        return m_nUserId != kWide<std::int32_t> ? m_nUserId : m_rare.Get().userId;
    }
    void SetUserId(std::int64_t userId);
    // The header's "dep=": 0 for a statement the client sent.
    std::int64_t Depth() const {
        return m_nDepth != kWide<std::int8_t> ? m_nDepth : m_rare.Get().depth;
    }
    void SetDepth(std::int64_t depth);
    // The header's "hv=", 0 without.
    std::int64_t HashValue() const {
        return m_nHashValue != kWide<std::int32_t> ? static_cast<std::uint32_t>(m_nHashValue)
                                                   : m_rare.Get().hashValue;
    }
    void SetHashValue(std::int64_t hashValue);
    // The header's "sqlid=", or empty. Servers write 13 digits of a base-32 number, which the
    // record holds as a number; any other id is kept apart.
    std::string SqlId() const;
    // The SQL id as the record holds it, for comparing ids without writing them out: 1 + its
    // first digit and its other digits (SqlIdRest) when it is held as a number, else 0 and
    // the id kept apart (empty without an id).
    std::uint8_t SqlIdLead() const { return m_nSqlIdLead; }
    std::uint64_t SqlIdRest() const { return m_nSqlIdRest; }
    std::string_view SqlIdApart() const { return m_rare.Get().sqlId; }
    void SetSqlId(std::string_view sqlId);
    // The process, the file and the session tags, shared by the records of a file read in the
    // same context under the same tags.
    const CRecordContext& Context() const {
        return m_context.Get() != nullptr ? *m_context : CRecordContext::None();
    }
    void SetContext(CRecordContextRef context) { m_context = std::move(context); }
    // The process id the trace states for the record's context, else the one taken from the
    // trace file's name.
    std::string_view Pid() const { return Context().Pid(); }
    // The process and session the record was read in.
    CTraceContext Trace() const { return Context().Trace(); }
    // The plain file the block lies in, or nullptr when the record holds a copy of it.
    const CTraceFileSnapshot* File() const { return Context().File(); }
    // The session tags current at the header.
    const CSessionTags& Tags() const { return Context().Tags(); }
    // The block's copy, or empty.
    std::string_view Node() const { return m_rare.Get().node; }
    std::string& EditNode() { return m_rare.Edit().node; }
    // "ORA-" and five digits, or empty.
    std::string_view Error() const { return m_rare.Get().error; }
    void SetError(std::string error) { m_rare.Edit().error = std::move(error); }

    // Equal when they say the same: the same file as it was read counts, not the same copy
    // of its snapshot.
    bool operator==(const CStatementRecord& other) const;

private:
    struct CRare {
        std::string node;
        std::string error;
        std::string sqlId; // one the record cannot hold as a number
        std::int64_t userId = 0;
        std::int64_t depth = 0;
        std::int64_t hashValue = 0;

        bool operator==(const CRare&) const = default;
    };

    // Keeps `narrowed` in `narrow` when the value `fits` (and is not kWide), else kWide there
    // and the value in the rare part's `full`.
    template <class TNarrow>
    void StoreNarrow(std::int64_t value, TNarrow narrowed, bool fits, TNarrow& narrow,
                     std::int64_t CRare::*full);

    // The SQL id's digits after its first, 5 bits each, when m_nSqlIdLead holds the first.
    std::uint64_t m_nSqlIdRest = 0;
    CRecordContextRef m_context;
    CSharedText m_sql;
    CSparse<CRare> m_rare;
};
