#pragma once

#include "FuzzCheck.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// The folder a fuzz target writes its files into while it runs: in memory where there is
// such a folder, so that writes and syncs cost no disk writes. Removed with its files.
class CFuzzFolder final {
public:
    CFuzzFolder() {
        namespace fs = std::filesystem;
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "velquor-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        m_path = pattern;
    }
    ~CFuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
