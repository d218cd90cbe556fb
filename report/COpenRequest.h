#pragma once

#include <string>

// The choice an opening command hands to the window it opens. The command writes it just
// before the window is created; the new document and view read it once while they set up.
// Texts are bytes (file names as the file system spells them).
struct COpenRequest {
    static constexpr int kModeLiveTrace = 0;
    static constexpr int kModeTraceFiles = 1;

    int m_nOpenMode = kModeLiveTrace;
    std::string m_strTraceName;        // the new document's title
    std::string m_strTracePath;        // live: the folder; files: every path followed by "|"
    std::string m_strShowSys;          // "1": statements of user SYS are listed
    std::string m_strCommandTypeFlags; // live: the command-type flag string
};
