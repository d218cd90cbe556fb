#pragma once

#include "CBindValue.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Reads the lines of one "BINDS #c:" section, after its first line, into a bind set. A bind
// starts at " Bind#n" (or "bind n: dty=" of older servers); its value is the text between the
// quotes of a quoted value (which may go on over the next lines up to its closing quote), any
// other "value=" as written, the bytes of a "Dump of memory from" block in hex as the dump
// writes them ("###" and the dump for an invalid number), and NULL without a value. A bind
// written "No oacdef for this bind." takes the value of the earlier bind of the same
// placeholder name, which only the statement's SQL text tells (ResolveUndefined).
class CBindSectionReader {
public:
    // Whether `line` ends a section: a line that starts a call, a wait, a plan row, a close,
    // a transaction end, an error, another section, a statement header, or a separator line.
    static bool EndsSection(std::string_view line);

    void Add(std::string_view line);
    // Whether a quoted value is still open: then no line ends the section.
    bool InValue() const { return m_bInQuotes; }
    // The section's binds; the reader is empty again after.
    CBindSet Finish();

    // Gives each bind without a definition the value and type of the earlier bind at the
    // position of the same placeholder name; `placeholders` are the SQL text's, in order.
    static void ResolveUndefined(CBindSet& binds, const std::vector<std::string>& placeholders);
    // The bind placeholders of a SQL text (":name" or ":1"), in order, outside quoted texts.
    static std::vector<std::string> Placeholders(std::string_view sql);

private:
    void StartBind(std::int64_t position, std::int64_t type);
    void CloseBind();
    void ReadValue(std::string_view value);
    bool ReadDumpLine(std::string_view line);

    CBindSet m_binds;
    bool m_bOpen = false;
    CBindValue m_bind;
    bool m_bHasValue = false;
    bool m_bInQuotes = false;
    bool m_bInDump = false;
    bool m_bUndefined = false;
    std::string m_strValue;
    std::string m_strDump;
};
