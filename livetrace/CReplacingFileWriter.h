#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// Replaces a file's contents without ever leaving it half written: the bytes go into a new
// file beside it, which is then renamed over the old one.
class CReplacingFileWriter {
public:
    // Throws CTraceListFileError naming the target file and the system's reason.
    static void Write(const std::filesystem::path& target, const std::string& bytes);

private:
    static std::FILE* CreateNewFileBeside(const std::filesystem::path& target,
                                          std::filesystem::path& created);
    static void WriteAndClose(std::FILE* file, const std::string& bytes,
                              const std::filesystem::path& target,
                              const std::filesystem::path& created);
    [[noreturn]] static void Fail(const std::filesystem::path& target,
                                  const std::filesystem::path& created, int error);
};
