#pragma once

#include "CFakeFileSystem.h"
#include "CPosixFileSystem.h"
#include "CTempFolder.h"
#include "CTraceAnalyzer.h"

#include <string>

// A trace written to a file of its own temporary folder and read in file mode, SYS
// statements shown, through the real file system.
class CWrittenTrace {
public:
    CWrittenTrace(const std::string& name, const std::string& text);

    const CTempFolder& Folder() const { return m_folder; }
    const std::string& Path() const { return m_strPath; }
    CTraceAnalyzer& Analyzer() { return m_analyzer; }

private:
    CTempFolder m_folder;
    std::string m_strPath;
    CPosixFileSystem m_fileSystem;
    CRecordingNotifier m_notifier;
    CTraceAnalyzer m_analyzer;
};
