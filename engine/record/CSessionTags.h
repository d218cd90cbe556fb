#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

// The tags of a session that a trace writes in "*** " lines: "*** SESSION ID:(45.14794) ...",
// "*** SERVICE NAME:(...)", "*** MODULE NAME:(...)", "*** ACTION NAME:(...)" and
// "*** CLIENT ID:(...)".
enum class ESessionTag { Session, Service, Module, Action, Client };
inline constexpr std::size_t kSessionTagCount = 5;

// The values of the session tags current at a point of a trace file. A reader of one piece of
// a file knows only the tags set by lines of that piece; the others are unknown, read as
// empty, and follow the text before the piece once it is known.
class CSessionTags {
public:
    const std::string& Value(ESessionTag tag) const { return m_values[Index(tag)]; }
    bool IsKnown(ESessionTag tag) const { return (m_nKnown & Bit(tag)) != 0; }
    bool AllKnown() const { return m_nKnown == (1u << kSessionTagCount) - 1; }
    void Set(ESessionTag tag, std::string_view value);
    // These tags, the unknown ones taken from `before` (the tags current where this text
    // begins).
    CSessionTags After(const CSessionTags& before) const;

    // Reads a tag line: the tag it sets and the value between "(" and the line's last ")".
    // false for any other line.
    static bool ReadLine(std::string_view line, ESessionTag& tag, std::string_view& value);
    // "session", "service", "module", "action" or "client".
    static std::string_view NameOf(ESessionTag tag);

    bool operator==(const CSessionTags&) const = default;
    std::strong_ordering operator<=>(const CSessionTags&) const = default;

private:
    static std::size_t Index(ESessionTag tag) { return static_cast<std::size_t>(tag); }
    static unsigned Bit(ESessionTag tag) { return 1u << Index(tag); }

    std::array<std::string, kSessionTagCount> m_values;
    unsigned m_nKnown = 0;
};
