#include "CChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A pseudo-terminal as a pair like pipe(): [0] the side to read, [1] the child's side.
int OpenTerminal(int fds[2]) {
    fds[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fds[0] < 0 || ::grantpt(fds[0]) != 0 || ::unlockpt(fds[0]) != 0) {
        return -1;
    }
    fds[1] = ::open(::ptsname(fds[0]), O_RDWR | O_NOCTTY);
    return fds[1] < 0 ? -1 : 0;
}

} // namespace

CChildProcess::Result CChildProcess::Run(const std::vector<std::string>& argv) {
    CChildProcess child(argv);
    return child.Wait();
}

bool CChildProcess::CanOpenTerminal() {
    int fds[2] = {-1, -1};
    const bool opened = OpenTerminal(fds) == 0;
    for (const int fd : fds) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    return opened;
}

CChildProcess::CChildProcess(const std::vector<std::string>& argv, bool errOnTerminal) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || (errOnTerminal ? OpenTerminal(err) : ::pipe(err)) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(err[0]);
        ::close(out[1]);
        ::close(err[1]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    m_outFd = out[0];
    m_errFd = err[0];
}

CChildProcess::~CChildProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_outFd);
    ::close(m_errFd);
}

std::string CChildProcess::ReadOutLine(std::chrono::milliseconds timeout) {
    return ReadLine(m_outFd, m_outPending, timeout);
}

std::string CChildProcess::ReadErrLine(std::chrono::milliseconds timeout) {
    return ReadLine(m_errFd, m_errPending, timeout);
}

void CChildProcess::Signal(int signal) {
    ::kill(m_pid, signal);
}

CChildProcess::Result CChildProcess::Wait() {
    Result result;
    result.out = std::move(m_outPending);
    result.err = std::move(m_errPending);
    // Read both pipes while the child runs, so a child that writes a lot never blocks.
    pollfd fds[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        for (pollfd& fd : fds) {
            if (fd.fd >= 0 && fd.revents != 0) {
                char buffer[65536];
                const ssize_t n = ::read(fd.fd, buffer, sizeof buffer);
                if (n > 0) {
                    (fd.fd == m_outFd ? result.out : result.err).append(buffer, std::size_t(n));
                } else {
                    fd.fd = -1;
                    --open;
                }
            }
        }
    }
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string CChildProcess::ReadLine(int fd, std::string& pending,
                                    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pending.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd poller{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&poller, 1, static_cast<int>(left.count())) <= 0) {
            return {};
        }
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return {};
        }
        pending.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t end = pending.find('\n');
    std::string line = pending.substr(0, end);
    pending.erase(0, end + 1);
    return line;
}
