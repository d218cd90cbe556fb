#include "CReplacingFileWriter.h"

#include "CTraceListFileError.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace {

constexpr int kNameAttempts = 100;

// A failing call that left errno at 0 still gets a reason rather than "Success".
std::string ReasonOf(int error) {
    return std::generic_category().message(error != 0 ? error : EIO);
}

} // namespace

void CReplacingFileWriter::Write(const std::filesystem::path& target, const std::string& bytes) {
    std::filesystem::path created;
    std::FILE* file = CreateNewFileBeside(target, created);
    if (file == nullptr) {
        throw CTraceListFileError(target, ReasonOf(errno));
    }
    WriteAndClose(file, bytes, target, created);
    std::error_code renameError;
    std::filesystem::rename(created, target, renameError);
    if (renameError) {
        Fail(target, created, renameError.value());
    }
}

// Opens a file under a fresh random name in exclusive mode, so that two saves running at
// once never write into the same file.
std::FILE* CReplacingFileWriter::CreateNewFileBeside(const std::filesystem::path& target,
                                                     std::filesystem::path& created) {
    std::random_device randomSource;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        created = target;
        created += "." + std::to_string(randomSource()) + ".new";
        errno = 0;
        if (std::FILE* file = std::fopen(created.c_str(), "wbx")) {
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

void CReplacingFileWriter::WriteAndClose(std::FILE* file, const std::string& bytes,
                                         const std::filesystem::path& target,
                                         const std::filesystem::path& created) {
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) {
        Fail(target, created, writeError);
    }
    if (!closed) {
        Fail(target, created, errno);
    }
}

void CReplacingFileWriter::Fail(const std::filesystem::path& target,
                                const std::filesystem::path& created, int error) {
    // The save has failed already and is reported below; a new file that cannot be
    // removed as well only takes space and never replaces the list.
    std::error_code removeError;
    std::filesystem::remove(created, removeError);
    throw CTraceListFileError(target, ReasonOf(error));
}
