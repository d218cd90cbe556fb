#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The generated traces of the benchmarks, kept in a cache folder and made only when missing,
// so repeated runs start at once. A file's name holds the generator's parameters.
class CBenchFiles {
public:
    // Bump when the generator's output changes, so old cached traces are not reused.
    static constexpr int kGeneratorVersion = 4;

    explicit CBenchFiles(std::string folder);

    // A trace of at least `bytes` bytes with LF line ends, made by the generator with `seed`.
    std::string Trace(std::int64_t bytes, std::uint64_t seed) const;
    // A folder holding only a copy of Trace(bytes, seed), cut back to that trace's size, for
    // a live trace to append to.
    std::string LiveFolder(std::int64_t bytes, std::uint64_t seed) const;
    // `count` small traces of at least `bytes` bytes each, seeds 1 to count, in a folder of
    // their own; answers their paths.
    std::vector<std::string> SmallTraces(int count, std::int64_t bytes) const;
    static std::int64_t FileSize(const std::string& path);

private:
    std::string m_strFolder;
};
