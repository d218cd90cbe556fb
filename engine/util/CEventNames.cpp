#include "CEventNames.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// Names live as long as the program: a deque never moves what it holds, so the map's keys
// and the views Name answers stay valid.
struct CTable {
    std::mutex mutex;
    std::deque<std::string> names;
    std::unordered_map<std::string_view, std::uint32_t> ids;
};

CTable& Table() {
    static CTable table;
    return table;
}

} // namespace

std::uint32_t CEventNames::Id(std::string_view name) {
    CTable& table = Table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.ids.find(name);
    if (found != table.ids.end()) {
        return found->second;
    }
    const auto id = static_cast<std::uint32_t>(table.names.size());
    table.ids.emplace(table.names.emplace_back(name), id);
    return id;
}

std::string_view CEventNames::Name(std::uint32_t id) {
    CTable& table = Table();
    const std::lock_guard lock(table.mutex);
    return table.names.at(id);
}
