#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A real child process for tests, with its standard output and error on pipes.
class CChildProcess {
public:
    struct Result {
        int status = -1; // exit status, or -1 when killed by a signal
        std::string out;
        std::string err;
    };

    // Runs a program to its end and collects what it wrote.
    static Result Run(const std::vector<std::string>& argv);

    // Whether a pseudo-terminal can be opened here (some containers have none).
    static bool CanOpenTerminal();

    // With `errOnTerminal` the child's standard error is a pseudo-terminal.
    explicit CChildProcess(const std::vector<std::string>& argv, bool errOnTerminal = false);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // The next line of standard output or error (without its LF); empty when none came in time.
    std::string ReadOutLine(std::chrono::milliseconds timeout);
    std::string ReadErrLine(std::chrono::milliseconds timeout);
    void Signal(int signal);
    // Waits for the end; returns the exit status and appends what is left to read.
    Result Wait();

private:
    std::string ReadLine(int fd, std::string& pending, std::chrono::milliseconds timeout);

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_outPending;
    std::string m_errPending;
};
