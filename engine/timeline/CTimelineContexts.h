#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which context, a (process, session), each line of one trace file belongs to, and where a
// context's turns end. The process is the one a line starting "Unix process pid: N" or
// "Windows thread id: N" states (the file name's when none does), until a line
// "*** [ Unix process pid: N ]" or "*** [ Windows thread id: N ]" switches it; the session
// is the last "*** SESSION ID:(sid.serial)" of that process. A run of consecutive "*** "
// lines is one header: its SESSION ID holds for all of its lines. A turn of a context ends
// where its process switches to another session.
class CTimelineContexts {
public:
    struct CName {
        std::string process;
        std::string session; // empty before the first SESSION ID of the process
    };

    // `filePid`: the process named by the file, for a trace that states none.
    explicit CTimelineContexts(std::string filePid);

    // A "*** " line of the header being read.
    void ReadHeaderLine(std::string_view line);
    // The header ended: its switches take effect. Answers the context whose turn it ended.
    std::optional<std::uint32_t> EndHeader();
    // A line that is no "*** " line: one that states the file's own process sets it.
    void ReadLine(std::string_view line);

    // The context of the lines being read now.
    std::uint32_t Current() const { return m_nCurrent; }
    const std::vector<CName>& Names() const { return m_names; }

private:
    std::uint32_t ContextOf(const std::string& process, const std::string& session);
    std::string& SessionOf(const std::string& process);

    std::vector<CName> m_names;
    std::uint32_t m_nCurrent = 0;
    std::string m_strProcess;
    // The current session of every process seen.
    std::vector<std::pair<std::string, std::string>> m_sessions;
    // What the header being read switches to.
    std::optional<std::string> m_headerProcess;
    std::optional<std::string> m_headerSession;
};
