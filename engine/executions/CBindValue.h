#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One bind of a "BINDS #c:" section: its position ("Bind#n"), its data type ("oacdty=", or
// "dty=" of older servers) and its value, none for NULL.
struct CBindValue {
    std::int64_t position = 0;
    std::int64_t type = 0;
    std::optional<std::string> value;
    // Written "No oacdef for this bind." and not yet given the value it repeats.
    bool undefined = false;

    bool operator==(const CBindValue&) const = default;
};

// The binds of one section: one bind set of an execution.
using CBindSet = std::vector<CBindValue>;

// The name of a data type code: "VARCHAR2", "NUMBER", "DATE"..., or "type N".
std::string BindTypeName(std::int64_t type);
