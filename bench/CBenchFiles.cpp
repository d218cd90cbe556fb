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

std::vector<std::string> CBenchFiles::SmallTraces(int count, std::int64_t bytes) const {
    const std::string folder = m_strFolder + "/small-v" + std::to_string(kGeneratorVersion) + "-" +
                               std::to_string(count) + "x" + std::to_string(bytes);
    const std::string done = folder + "/.complete";
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
        paths.push_back(folder + "/small_ora_" + std::to_string(i) + ".trc");
    }
    if (!std::filesystem::exists(done)) {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < count; ++i) {
            CTraceGenerator(static_cast<std::uint64_t>(i + 1), CTraceGenerator::LineEnd::Lf)
                .WriteFile(paths[static_cast<std::size_t>(i)], bytes, false);
        }
        CTraceGenerator(0, CTraceGenerator::LineEnd::Lf).WriteFile(done, 0, false);
    }
    return paths;
}

std::int64_t CBenchFiles::FileSize(const std::string& path) {
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}
