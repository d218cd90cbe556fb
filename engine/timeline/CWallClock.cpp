#include "CWallClock.h"

#include <cstdio>

namespace {

constexpr std::int64_t kMicrosPerSecond = 1000000;
constexpr std::int64_t kMicrosPerDay = 86400 * kMicrosPerSecond;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CCivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CCivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400;
    return {month <= 2 ? year + 1 : year, month, day};
}

// Reads exactly `count` digits at `position`; false when one is not a digit.
bool ReadDigits(std::string_view text, std::size_t position, std::size_t count, unsigned& value) {
    if (text.size() < position + count) {
        return false;
    }
    value = 0;
    for (std::size_t i = position; i < position + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

bool At(std::string_view text, std::size_t position, char c) {
    return position < text.size() && text[position] == c;
}

// Reads a zone "+hh:mm" or "-hh:mm" at `position`.
bool ReadZone(std::string_view text, std::size_t position, int& minutes) {
    unsigned hours = 0;
    unsigned mins = 0;
    if (!(At(text, position, '+') || At(text, position, '-')) ||
        !ReadDigits(text, position + 1, 2, hours) || !At(text, position + 3, ':') ||
        !ReadDigits(text, position + 4, 2, mins)) {
        return false;
    }
    minutes = static_cast<int>(hours * 60 + mins) * (text[position] == '-' ? -1 : 1);
    return true;
}

} // namespace

std::optional<CWallClock> CWallClock::Read(std::string_view text, std::size_t* used) {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    if (!ReadDigits(text, 0, 4, year) || !At(text, 4, '-') || !ReadDigits(text, 5, 2, month) ||
        !At(text, 7, '-') || !ReadDigits(text, 8, 2, day) ||
        !(At(text, 10, ' ') || At(text, 10, 'T')) || !ReadDigits(text, 11, 2, hour) ||
        !At(text, 13, ':') || !ReadDigits(text, 14, 2, minute) || !At(text, 16, ':') ||
        !ReadDigits(text, 17, 2, second) || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::size_t position = 19;
    std::int64_t fraction = 0;
    if (At(text, position, '.')) {
        std::int64_t scale = 100000;
        for (++position; position < text.size() && text[position] >= '0' && text[position] <= '9';
             ++position) {
            fraction += (text[position] - '0') * scale;
            scale /= 10;
        }
    }
    CWallClock clock;
    clock.m_nLocal =
        DaysFromCivil(year, month, day) * kMicrosPerDay +
        static_cast<std::int64_t>(hour * 3600 + minute * 60 + second) * kMicrosPerSecond + fraction;
    clock.m_bZone = ReadZone(text, position, clock.m_nZoneMinutes);
    if (used != nullptr) {
        *used = position + (clock.m_bZone ? 6 : 0);
    }
    return clock;
}

std::optional<CWallClock> CWallClock::OfHeaderLine(std::string_view line) {
    if (!line.starts_with("*** ")) {
        return std::nullopt;
    }
    if (std::optional<CWallClock> clock = Read(line.substr(4))) {
        return clock;
    }
    const std::size_t close = line.rfind(") ");
    return close == std::string_view::npos ? std::nullopt : Read(line.substr(close + 2));
}

std::string CWallClock::Text() const {
    const std::int64_t days =
        (m_nLocal >= 0 ? m_nLocal : m_nLocal - kMicrosPerDay + 1) / kMicrosPerDay;
    const std::int64_t ofDay = m_nLocal - days * kMicrosPerDay;
    const CCivilDate date = CivilFromDays(days);
    const std::int64_t seconds = ofDay / kMicrosPerSecond;
    char text[64];
    int length = std::snprintf(
        text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%06lld",
        static_cast<long long>(date.year), date.month, date.day,
        static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
        static_cast<long long>(seconds % 60), static_cast<long long>(ofDay % kMicrosPerSecond));
    if (m_bZone) {
        const int zone = m_nZoneMinutes < 0 ? -m_nZoneMinutes : m_nZoneMinutes;
        length +=
            std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                          "%c%02d:%02d", m_nZoneMinutes < 0 ? '-' : '+', zone / 60, zone % 60);
    }
    return std::string(text, static_cast<std::size_t>(length));
}

CWallClock CWallClock::Plus(std::int64_t microseconds) const {
    CWallClock later = *this;
    later.m_nLocal += microseconds;
    return later;
}

std::int64_t CWallClock::Since(const CWallClock& earlier) const {
    const std::int64_t zones =
        m_bZone && earlier.m_bZone
            ? std::int64_t{m_nZoneMinutes - earlier.m_nZoneMinutes} * 60 * kMicrosPerSecond
            : 0;
    return m_nLocal - earlier.m_nLocal - zones;
}
