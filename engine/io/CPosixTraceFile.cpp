#include "CPosixTraceFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CPosixTraceFile::~CPosixTraceFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool CPosixTraceFile::Open(std::string& error) {
    std::string reason;
    m_fd = OpenRegularFile(m_strPath, reason);
    if (m_fd < 0) {
        error = m_strPath + ": " + reason;
        return false;
    }
    return true;
}

bool CPosixTraceFile::GetStatus(CFileStatus& status, std::string& error) {
    struct statx info {};
    if (::statx(m_fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        error = m_strPath + ": " + std::strerror(errno);
        return false;
    }
    status = StatusOf(info);
    return true;
}

ITraceFileSystem::ReadResult CPosixTraceFile::ReadAt(std::int64_t offset, std::int64_t size,
                                                     char* buffer, std::string& error) {
    std::int64_t got = 0;
    const ITraceFileSystem::ReadResult result = ReadSome(offset, size, buffer, got, error);
    if (result == ITraceFileSystem::ReadResult::Done && got < size) {
        error = m_strPath + ": the file ended before the expected size";
        return ITraceFileSystem::ReadResult::Short;
    }
    return result;
}

ITraceFileSystem::ReadResult CPosixTraceFile::ReadSome(std::int64_t offset, std::int64_t size,
                                                       char* buffer, std::int64_t& got,
                                                       std::string& error) {
    got = 0;
    while (got < size) {
        const ssize_t read = ::pread(m_fd, buffer + got, static_cast<std::size_t>(size - got),
                                     static_cast<off_t>(offset + got));
        if (read < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = m_strPath + ": " + std::strerror(errno);
            return ITraceFileSystem::ReadResult::Error;
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    return ITraceFileSystem::ReadResult::Done;
}

CFileStatus CPosixTraceFile::StatusOf(const struct statx& info) {
    CFileStatus status;
    status.identity.device =
        (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    status.identity.inode = info.stx_ino;
    status.identity.birthTimeNs =
        (info.stx_mask & STATX_BTIME) != 0
            ? info.stx_btime.tv_sec * 1'000'000'000LL + info.stx_btime.tv_nsec
            : 0;
    status.modifiedNs = info.stx_mtime.tv_sec * 1'000'000'000LL + info.stx_mtime.tv_nsec;
    status.size = static_cast<std::int64_t>(info.stx_size);
    return status;
}

int CPosixTraceFile::OpenRegularFile(const std::string& path, std::string& reason) {
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
