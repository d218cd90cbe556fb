#include "CExecutionContexts.h"

#include <algorithm>

namespace {

constexpr std::string_view kUnixProcess = "Unix process pid: ";
constexpr std::string_view kWindowsThread = "Windows thread id: ";
constexpr std::string_view kSwitch = "*** [ ";
constexpr std::string_view kSession = "*** SESSION ID:(";

// The process id after `prefix` in `line`, up to a blank, "," or "]"; empty without one.
std::string ProcessAfter(std::string_view line, std::string_view prefix) {
    if (!line.starts_with(prefix)) {
        return {};
    }
    const std::string_view rest = line.substr(prefix.size());
    return std::string(rest.substr(0, rest.find_first_of(" ,]")));
}

} // namespace

bool CExecutionContexts::Read(std::string_view line) {
    if (line.empty() || (line.front() != '*' && line.front() != 'U' && line.front() != 'W')) {
        return false;
    }
    std::string process;
    if (line.starts_with(kSwitch)) {
        const std::string_view named = line.substr(kSwitch.size());
        process = ProcessAfter(named, kUnixProcess);
        if (process.empty()) {
            process = ProcessAfter(named, kWindowsThread);
        }
    } else if (!m_bProcessStated) {
        process = ProcessAfter(line, kUnixProcess);
        if (process.empty()) {
            process = ProcessAfter(line, kWindowsThread);
        }
    }
    const std::size_t before = m_nCurrent;
    if (!process.empty()) {
        m_bProcessStated = true;
        m_strProcess = process;
    } else if (line.starts_with(kSession)) {
        const std::string_view rest = line.substr(kSession.size());
        SessionOf(m_strProcess) = std::string(rest.substr(0, rest.find(')')));
    } else {
        return false;
    }
    m_nCurrent = IndexOf(m_strProcess, SessionOf(m_strProcess));
    return m_nCurrent != before;
}

std::string& CExecutionContexts::SessionOf(const std::string& process) {
    const auto found = std::find_if(m_sessions.begin(), m_sessions.end(),
                                    [&](const auto& entry) { return entry.first == process; });
    if (found != m_sessions.end()) {
        return found->second;
    }
    return m_sessions.emplace_back(process, std::string()).second;
}

std::size_t CExecutionContexts::IndexOf(const std::string& process, const std::string& session) {
    const std::pair<std::string, std::string> context(process, session);
    const auto found = std::find(m_contexts.begin(), m_contexts.end(), context);
    if (found != m_contexts.end()) {
        return static_cast<std::size_t>(found - m_contexts.begin());
    }
    m_contexts.push_back(context);
    return m_contexts.size() - 1;
}
