#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The Oracle command-type codes (the "oct=" of a cursor line) with their names.
// Catalogue order sorts the codes' decimal texts byte by byte ("10" before "2");
// a command-type flag string holds one "1"/"0" per entry in that order.
class CCommandTypeCatalog {
public:
    static constexpr int kEntryCount = 144;

    CCommandTypeCatalog();

    // The name of a code, or the empty text for a code without an entry.
    std::string GetCommandTypeName(int code) const;
    // The same name, the catalogue's own text, valid as long as the catalogue.
    const char* CommandTypeName(int code) const;
    // The position of a code in catalogue order; 0 (the position of "UNKNOWN") without an entry.
    int GetCommandTypePosition(int code) const;
    // Whether a statement of this code passes the flag string.
    bool IsCommandTypeShown(std::string_view flags, int code) const;

    // (code text, name) pairs in catalogue order.
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return m_entries; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    int PositionOrMinusOne(int code) const;

    std::map<std::string, std::string> m_mapOctName;
    std::map<int, int> m_mapOctIndex;
    std::vector<std::pair<std::string, std::string>> m_entries;
};
