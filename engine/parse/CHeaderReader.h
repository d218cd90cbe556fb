#pragma once

#include "CStatementRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

class CCommandTypeCatalog;

// Reads the first line of a block: a "PARSING IN CURSOR" or "PARSE ERROR" header starts a
// statement, which the SYS and command-type filters show or hide. Holds no changing state,
// so several threads may read headers with one instance.
class CHeaderReader {
public:
    enum class EHeader { None, Hidden, Shown };

    struct CHeader {
        EHeader kind = EHeader::None;
        bool hasCursor = false;   // a cursor number follows the header's "#"
        std::uint64_t cursor = 0; // the number the header binds
        std::int64_t depth = 0;   // "dep="
    };

    CHeaderReader(const CCommandTypeCatalog& catalog, bool showSys, std::string typeFlags);

    // Recognises a block's first line. For a statement that is shown, `record` gets the
    // header's fields.
    CHeader Read(std::string_view line, CStatementRecord& record) const;

    // The process id of a trace file: the text between the path's last "_" and last ".",
    // once a compressed file's ".gz", ".xz" or ".bz2" is taken off.
    static std::string PidFromPath(std::string_view path);
    // The cursor id of a cursor header: from position 18 to the blank before the first "len".
    static std::string_view CursorIdOf(std::string_view header);

private:
    bool Passes(std::int64_t uid, std::int64_t oct, CStatementRecord& record) const;
    static void ReadParseError(std::string_view header, CStatementRecord& record);

    const CCommandTypeCatalog& m_catalog;
    bool m_bShowSys;
    std::string m_strTypeFlags;
};
