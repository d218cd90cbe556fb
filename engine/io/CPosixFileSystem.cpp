#include "CPosixFileSystem.h"

#include "CPosixTraceFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool HasTraceExtension(const char* name) {
    const std::size_t length = std::strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".trc") == 0;
}

std::string JoinPath(const std::string& folder, const char* name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool CPosixFileSystem::GetStatus(const std::string& path, CFileStatus& status, std::string& error) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    status = CPosixTraceFile::StatusOf(info);
    return true;
}

std::string CPosixFileSystem::CanonicalPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string canonical(resolved);
    std::free(resolved);
    return canonical;
}

bool CPosixFileSystem::ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                                      std::string& error) {
    paths.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (!HasTraceExtension(entry->d_name)) {
            continue;
        }
        std::string path = JoinPath(folder, entry->d_name);
        if (IsRegularFile(path)) {
            paths.push_back(std::move(path));
        }
    }
    ::closedir(dir);
    return true;
}

ITraceFileSystem::ReadResult CPosixFileSystem::ReadAt(const std::string& path, std::int64_t offset,
                                                      std::int64_t size, char* buffer,
                                                      std::string& error) {
    CPosixTraceFile file(path);
    if (!file.Open(error)) {
        return ReadResult::OpenFailed;
    }
    return file.ReadAt(offset, size, buffer, error);
}

ITraceFileSystem::ReadResult CPosixFileSystem::ReadSome(const std::string& path,
                                                        std::int64_t offset, std::int64_t size,
                                                        char* buffer, std::int64_t& got,
                                                        std::string& error) {
    got = 0;
    CPosixTraceFile file(path);
    if (!file.Open(error)) {
        return ReadResult::OpenFailed;
    }
    return file.ReadSome(offset, size, buffer, got, error);
}

std::unique_ptr<ITraceFile> CPosixFileSystem::Open(const std::string& path, std::string& error) {
    auto file = std::make_unique<CPosixTraceFile>(path);
    if (!file->Open(error)) {
        return nullptr;
    }
    return file;
}
