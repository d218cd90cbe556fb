#pragma once

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace testdevices {

// A character device that discards what is written ("null") or fails every write with
// ENOSPC ("full"). The superuser gets a node made in `folder`, so that a save which wrongly
// replaces the node cannot harm the system's own /dev/null or /dev/full; anyone else may not
// replace those and gets them. Empty when the node cannot be made.
inline std::string DeviceNode(const std::filesystem::path& folder, const std::string& name) {
    const std::string system = "/dev/" + name;
    if (::geteuid() != 0) {
        return system;
    }
    struct stat status {};
    const std::string node = (folder / name).string();
    if (::stat(system.c_str(), &status) != 0 ||
        ::mknod(node.c_str(), S_IFCHR | 0666, status.st_rdev) != 0) {
        return std::string();
    }
    return node;
}

inline bool IsCharacterDevice(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
}

} // namespace testdevices
