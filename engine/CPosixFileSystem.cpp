#include "CPosixFileSystem.h"

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

// Closes a descriptor when it goes out of scope.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    ~CFileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool CPosixFileSystem::GetStatus(const std::string& path, CFileStatus& status, std::string& error) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    status.identity.device =
        (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    status.identity.inode = info.stx_ino;
    status.identity.birthTimeNs =
        (info.stx_mask & STATX_BTIME) != 0
            ? info.stx_btime.tv_sec * 1'000'000'000LL + info.stx_btime.tv_nsec
            : 0;
    status.modifiedNs = info.stx_mtime.tv_sec * 1'000'000'000LL + info.stx_mtime.tv_nsec;
    status.size = static_cast<std::int64_t>(info.stx_size);
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

int CPosixFileSystem::OpenRegularFile(const std::string& path, std::string& reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = "not a regular file";
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        reason = "not a regular file";
        return -1;
    }
    return fd;
}

ITraceFileSystem::ReadResult CPosixFileSystem::ReadAt(const std::string& path, std::int64_t offset,
                                                      std::int64_t size, char* buffer,
                                                      std::string& error) {
    std::int64_t got = 0;
    const ReadResult result = ReadSome(path, offset, size, buffer, got, error);
    if (result == ReadResult::Done && got < size) {
        error = path + ": the file ended before the expected size";
        return ReadResult::Short;
    }
    return result;
}

ITraceFileSystem::ReadResult CPosixFileSystem::ReadSome(const std::string& path,
                                                        std::int64_t offset, std::int64_t size,
                                                        char* buffer, std::int64_t& got,
                                                        std::string& error) {
    got = 0;
    std::string reason;
    const CFileDescriptor file(OpenRegularFile(path, reason));
    if (file.Get() < 0) {
        error = path + ": " + reason;
        return ReadResult::OpenFailed;
    }
    while (got < size) {
        const ssize_t read = ::pread(file.Get(), buffer + got, static_cast<std::size_t>(size - got),
                                     static_cast<off_t>(offset + got));
        if (read < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = path + ": " + std::strerror(errno);
            return ReadResult::Error;
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    return ReadResult::Done;
}
