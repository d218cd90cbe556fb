#include "CTraceListLock.h"

#include "CTraceListFileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// The lock file is opened for reading only, so that a lock file made by another user (with
// that user's umask) serves everyone who may read it.
CTraceListLock::CTraceListLock(const std::filesystem::path& list) {
    const std::filesystem::path lockFile = list.string() + ".lock";
    m_fd = ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        throw CTraceListFileError(list, errno);
    }
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(m_fd);
            throw CTraceListFileError(list, error);
        }
    }
}

CTraceListLock::~CTraceListLock() {
    ::close(m_fd);
}
