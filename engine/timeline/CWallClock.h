#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A wall-clock time as a trace writes it: "YYYY-MM-DD HH:MM:SS.fff" (older servers, no zone)
// or "YYYY-MM-DDTHH:MM:SS.ffffff+hh:mm". Held as microseconds since 1970-01-01 00:00 of the
// time as written (not turned into UTC) and the zone's offset when the text gives one, so
// that a time is shown in the zone the trace wrote it in.
class CWallClock {
public:
    // The time at the start of `text`; nothing unless it starts with a whole date and time.
    // The fraction may have any number of digits (beyond six are dropped); the zone is
    // optional. `used`, when given, gets the number of characters read.
    static std::optional<CWallClock> Read(std::string_view text, std::size_t* used = nullptr);
    // The time stamp of a "*** " line: right after "*** ", or after the ") " that ends a tag
    // line's value ("*** SESSION ID:(150.65) 2007-07-11 11:05:33.800").
    static std::optional<CWallClock> OfHeaderLine(std::string_view line);

    // "YYYY-MM-DDTHH:MM:SS.ffffff", then the zone as "+hh:mm" when it has one.
    std::string Text() const;
    // This time `microseconds` later (earlier when negative), in the same zone.
    CWallClock Plus(std::int64_t microseconds) const;
    // Microseconds between `earlier` and this time: in UTC when both have a zone, else as
    // written.
    std::int64_t Since(const CWallClock& earlier) const;

    std::int64_t LocalMicros() const { return m_nLocal; }
    bool HasZone() const { return m_bZone; }
    int ZoneMinutes() const { return m_nZoneMinutes; }

    bool operator==(const CWallClock&) const = default;

private:
    std::int64_t m_nLocal = 0; // microseconds since 1970-01-01 00:00 as written
    int m_nZoneMinutes = 0;    // the zone's offset east of UTC
    bool m_bZone = false;
};
