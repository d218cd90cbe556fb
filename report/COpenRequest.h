#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What an opening command asks of the window it opens: passed by value from the command to
// the new window's document, which reads it once. Texts are bytes (file names as the file
// system spells them).
struct COpenRequest {
    enum class Mode { LiveTrace, TraceFiles };

    static constexpr std::size_t kTitleLength = 40;

    Mode m_mode = Mode::TraceFiles;
    std::string m_strTraceName;        // the window's title
    bool m_bShowSys = true;            // statements of user SYS are listed
    std::vector<std::string> m_paths;  // trace files: the files to read
    std::string m_strTraceFolder;      // live trace: the folder to follow
    std::string m_strCommandTypeFlags; // live trace: the command-type flag string

    // Trace files. The title is each file's TraceNameFromPath followed by ";", all joined,
    // cut to 40 characters with "..." appended when it was longer.
    static COpenRequest TraceFiles(std::vector<std::string> paths, bool showSys);
    static COpenRequest LiveTrace(std::string name, std::string folder, bool showSys,
                                  std::string commandTypeFlags);

    // The file name after the last "/" without its last four characters (the ".trc"
    // extension, not checked), with every "|" removed.
    static std::string TraceNameFromPath(const std::string& path);
};
