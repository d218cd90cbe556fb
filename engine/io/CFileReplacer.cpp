#include "CFileReplacer.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pthread.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;
constexpr std::string_view kNewSuffix = ".new";
constexpr std::size_t kBufferBytes = 1 << 16;

bool IsLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Keeps SIGPIPE from ending the program while it writes into a FIFO whose reader went away:
// the write then fails with EPIPE instead. The signal raised meanwhile is taken back.
class CSigPipeBlock {
public:
    CSigPipeBlock() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_bWasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~CSigPipeBlock() {
        sigset_t pending;
        sigpending(&pending);
        if (!m_bWasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{0, 0};
            sigtimedwait(&m_pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    CSigPipeBlock(const CSigPipeBlock&) = delete;
    CSigPipeBlock& operator=(const CSigPipeBlock&) = delete;

private:
    sigset_t m_pipe{};
    sigset_t m_old{};
    bool m_bWasPending = false;
};

} // namespace

CFileReplacer::CFileReplacer(std::string path) : m_strPath(std::move(path)) {}

CFileReplacer::~CFileReplacer() {
    Abandon();
}

std::string CFileReplacer::ResolveLinks(const std::string& path) {
    std::filesystem::path current = path;
    for (int link = 0; link < kMaxLinks && IsLink(current); ++link) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            break;
        }
        current = current.parent_path() / target; // an absolute target replaces the whole
    }
    return current.string();
}

bool CFileReplacer::IsNewFileName(std::string_view targetName, std::string_view name) {
    if (name.size() <= targetName.size() + 1 + kNewSuffix.size() || !name.starts_with(targetName) ||
        name[targetName.size()] != '.' || !name.ends_with(kNewSuffix)) {
        return false;
    }
    const std::string_view number =
        name.substr(targetName.size() + 1, name.size() - targetName.size() - 1 - kNewSuffix.size());
    return number.find_first_not_of("0123456789") == std::string_view::npos;
}

bool CFileReplacer::Open() {
    struct stat status {};
    if (::stat(m_strPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        return OpenDirect();
    }
    m_strTarget = ResolveLinks(m_strPath);
    if (IsLink(m_strTarget)) {
        m_nError = ELOOP;
        return false;
    }
    return OpenNewFile();
}

// Opens a device or FIFO to write into. The open does not wait for a FIFO's reader; the
// writes do wait while a FIFO is full.
bool CFileReplacer::OpenDirect() {
    m_fd = ::open(m_strPath.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        return Fail();
    }
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Fail();
    }
    return true;
}

// Creates the new file under a fresh name in exclusive mode, so that saves running at once
// never write into the same file. It gets the permissions of the file it replaces; a file
// made anew gets 0666 less the umask, as if it were created directly.
bool CFileReplacer::OpenNewFile() {
    struct stat old {};
    const bool replaces = ::stat(m_strTarget.c_str(), &old) == 0;
    std::random_device randomSource;
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_strNewFile = m_strTarget + "." + std::to_string(randomSource()) + std::string(kNewSuffix);
        m_fd = ::open(m_strNewFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        m_strNewFile.clear();
        return Fail();
    }
    if (replaces && ::fchmod(m_fd, old.st_mode & 07777) != 0) {
        return Fail();
    }
    return true;
}

// Small writes are gathered, so that saving many short statements costs few system calls.
bool CFileReplacer::Write(std::string_view bytes) {
    if (m_fd < 0) {
        return false;
    }
    if (m_buffer.size() + bytes.size() > kBufferBytes && !Flush()) {
        return false;
    }
    if (bytes.size() >= kBufferBytes) {
        return WriteAll(bytes);
    }
    m_buffer.append(bytes);
    return true;
}

bool CFileReplacer::Flush() {
    const bool written = WriteAll(m_buffer);
    m_buffer.clear();
    return written;
}

bool CFileReplacer::WriteAll(std::string_view bytes) {
    std::optional<CSigPipeBlock> noSigPipe;
    if (m_strNewFile.empty()) {
        noSigPipe.emplace();
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return Fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file reaches the disk before it takes the old one's place, so a crash leaves either
// the old or the new content.
bool CFileReplacer::Commit() {
    if (m_fd < 0 || !Flush()) {
        return false;
    }
    if (!m_strNewFile.empty() && ::fsync(m_fd) != 0 && errno != EINVAL) {
        return Fail();
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return Fail();
    }
    if (!m_strNewFile.empty() && ::rename(m_strNewFile.c_str(), m_strTarget.c_str()) != 0) {
        return Fail();
    }
    m_strNewFile.clear();
    return true;
}

std::string CFileReplacer::GetErrorText() const {
    return std::strerror(m_nError);
}

// Keeps the first error's number and abandons the save.
bool CFileReplacer::Fail() {
    m_nError = errno != 0 ? errno : EIO;
    Abandon();
    return false;
}

void CFileReplacer::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strNewFile.empty()) {
        ::unlink(m_strNewFile.c_str());
        m_strNewFile.clear();
    }
}
