#pragma once

#include <cstdint>
#include <string>

// One row source operation of a statement's plan, as a "STAT #c id=..." line gives it.
struct CPlanRow {
    std::int64_t id = 0;
    std::int64_t parentId = 0;
    std::int64_t rows = 0;
    std::string operation;

    bool operator==(const CPlanRow&) const = default;
};
