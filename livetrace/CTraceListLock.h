#pragma once

#include <filesystem>

// An exclusive lock on the trace list for one read-change-write, held from construction to
// destruction: flock on the lock file "<list>.lock" beside the list, made when missing and
// left in place. Every save of the list takes it, so saves of several programs come one
// after another and each reads what the one before wrote.
class CTraceListLock final {
public:
    // `list` is the list file itself, its links already followed. Waits for the lock;
    // throws CTraceListFileError when the lock file cannot be opened or made.
    explicit CTraceListLock(const std::filesystem::path& list);
    ~CTraceListLock();
    CTraceListLock(const CTraceListLock&) = delete;
    CTraceListLock& operator=(const CTraceListLock&) = delete;

private:
    int m_fd;
};
