#include "CTimelineContexts.h"

#include "CSessionTags.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kProcessLines[] = {"Unix process pid: ", "Windows thread id: "};

// The number after one of the process lines' words at `from` of `line`, up to a blank, ","
// or "]"; empty when the line holds none there.
std::string ProcessAt(std::string_view line, std::size_t from) {
    for (const std::string_view words : kProcessLines) {
        if (line.substr(from).starts_with(words)) {
            const std::string_view rest = line.substr(from + words.size());
            return std::string(rest.substr(0, rest.find_first_of(" ,]")));
        }
    }
    return {};
}

} // namespace

CTimelineContexts::CTimelineContexts(std::string filePid) : m_strProcess(std::move(filePid)) {
    m_nCurrent = ContextOf(m_strProcess, {});
}

void CTimelineContexts::ReadHeaderLine(std::string_view line) {
    if (line.starts_with("*** [ ")) {
        std::string process = ProcessAt(line, 6);
        if (!process.empty()) {
            m_headerProcess = std::move(process);
        }
        return;
    }
    ESessionTag tag = ESessionTag::Session;
    std::string_view value;
    if (CSessionTags::ReadLine(line, tag, value) && tag == ESessionTag::Session) {
        m_headerSession = std::string(value);
    }
}

std::optional<std::uint32_t> CTimelineContexts::EndHeader() {
    if (m_headerProcess.has_value()) {
        m_strProcess = *std::exchange(m_headerProcess, std::nullopt);
    }
    std::optional<std::uint32_t> ended;
    if (m_headerSession.has_value()) {
        std::string& session = SessionOf(m_strProcess);
        if (session != *m_headerSession) {
            ended = ContextOf(m_strProcess, session);
            session = *m_headerSession;
        }
        m_headerSession.reset();
    }
    m_nCurrent = ContextOf(m_strProcess, SessionOf(m_strProcess));
    return ended;
}

void CTimelineContexts::ReadLine(std::string_view line) {
    std::string process = ProcessAt(line, 0);
    if (!process.empty()) {
        m_strProcess = std::move(process);
        m_nCurrent = ContextOf(m_strProcess, SessionOf(m_strProcess));
    }
}

std::uint32_t CTimelineContexts::ContextOf(const std::string& process, const std::string& session) {
    const auto known = std::find_if(m_names.begin(), m_names.end(), [&](const CName& name) {
        return name.process == process && name.session == session;
    });
    if (known != m_names.end()) {
        return static_cast<std::uint32_t>(known - m_names.begin());
    }
    m_names.push_back({process, session});
    return static_cast<std::uint32_t>(m_names.size() - 1);
}

std::string& CTimelineContexts::SessionOf(const std::string& process) {
    const auto known = std::find_if(m_sessions.begin(), m_sessions.end(),
                                    [&](const auto& entry) { return entry.first == process; });
    if (known != m_sessions.end()) {
        return known->second;
    }
    return m_sessions.emplace_back(process, std::string()).second;
}
