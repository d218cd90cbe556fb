#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The context (process, session) each line of a trace belongs to, for reading executions: the
// process is the file's own ("Unix process pid: N" or "Windows thread id: N" at a line's
// start) until a line "*** [ Unix process pid: N ]" or "*** [ Windows thread id: N ]"
// switches it; the session is that of the process's last "*** SESSION ID:(sid.serial)" line.
// Contexts are numbered in the order they first come, the one before any such line being 0.
class CExecutionContexts {
public:
    // Reads a line that may name a process or session; true when it changed the context.
    bool Read(std::string_view line);
    std::size_t Current() const { return m_nCurrent; }

private:
    std::size_t IndexOf(const std::string& process, const std::string& session);
    std::string& SessionOf(const std::string& process);

    std::vector<std::pair<std::string, std::string>> m_contexts{{"", ""}};
    // The last session of each process.
    std::vector<std::pair<std::string, std::string>> m_sessions;
    std::string m_strProcess;
    bool m_bProcessStated = false;
    std::size_t m_nCurrent = 0;
};
