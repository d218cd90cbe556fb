#include "CBenchFiles.h"

#include "CTraceGenerator.h"

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

CBenchFiles::CBenchFiles(std::string folder) : m_strFolder(std::move(folder)) {
    std::filesystem::create_directories(m_strFolder);
}

std::string CBenchFiles::Trace(std::int64_t bytes, std::uint64_t seed) const {
    const std::string name = "gen-v" + std::to_string(kGeneratorVersion) + "-" +
                             std::to_string(bytes) + "-lf_ora_" + std::to_string(seed) + ".trc";
    const std::string path = m_strFolder + "/" + name;
    if (!std::filesystem::exists(path)) {
        // Written under another name first: an interrupted run leaves no partial trace.
        const std::string partial = path + ".partial";
        CTraceGenerator(seed, CTraceGenerator::LineEnd::Lf).WriteFile(partial, bytes, false);
        std::filesystem::rename(partial, path);
    }
    return path;
}

std::string CBenchFiles::LiveFolder(std::int64_t bytes, std::uint64_t seed) const {
    const std::string trace = Trace(bytes, seed);
    const std::string folder = m_strFolder + "/live-" + std::to_string(bytes);
    const std::string copy = folder + "/live_ora_" + std::to_string(seed) + ".trc";
    std::filesystem::create_directories(folder);
    const std::int64_t size = FileSize(trace);
    // Earlier runs only appended to the copy, so cutting it back restores it.
    if (!std::filesystem::exists(copy) || FileSize(copy) < size) {
        std::filesystem::copy_file(trace, copy, std::filesystem::copy_options::overwrite_existing);
    }
    if (::truncate(copy.c_str(), size) != 0) {
        throw std::runtime_error("cannot cut back " + copy);
    }
    return folder;
}

std::int64_t CBenchFiles::FileSize(const std::string& path) {
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}
