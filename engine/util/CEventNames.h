#pragma once

#include <cstdint>
#include <string_view>

// The names of wait events, each kept once for the whole program and known by a number, so a
// statement's waits cost a few bytes per event whatever its name. Any thread may use it.
class CEventNames {
public:
    // The number of a name, given a new one the first time the name is seen.
    static std::uint32_t Id(std::string_view name);
    // The name of a number Id gave.
    static std::string_view Name(std::uint32_t id);
};
