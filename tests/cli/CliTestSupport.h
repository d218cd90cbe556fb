#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// Helpers shared by the tests that run the real velquor-cli.
namespace clitest {

inline const std::string kCli = VELQUOR_CLI_PATH;
inline const std::filesystem::path kTestData = VELQUOR_CLI_TEST_DATA;

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes,
                      std::ios::openmode mode = std::ios::trunc) {
    std::ofstream out(path, std::ios::binary | std::ios::out | mode);
    out << bytes;
}

// A temporary folder, removed with everything in it.
class CTempFolder {
public:
    CTempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velquor-cli-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace clitest
