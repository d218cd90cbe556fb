#pragma once

#include "CTraceSettings.h"
#include "ITraceListNotifier.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The configured live traces in file order, kept in "trace.list" in the program's folder.
// One line per trace: "TRACENAME=" name TAB "TRACEPATH=" path TAB "SYS=" v TAB
// "OCTCHECK=" v TAB, then CR CR LF, the line end files written so far have.
class CTraceListStore {
public:
    static constexpr const char* kFileName = "trace.list";
    static constexpr const char* kLoadFailureMessage =
        "init file is not valid,It will be recreated";

    CTraceListStore(std::filesystem::path programFolder, ITraceListNotifier& notifier);

    // Replaces the list with the file's traces; a file that cannot be read is reported to
    // the notifier, and the traces read before the failure stay.
    void LoadTraceList();
    // Rewrites the file from the list through a new file renamed over the old one, so a
    // failed save leaves the old file whole. Throws CTraceListFileError.
    void SaveTraceList() const;
    // Appends the trace of one line, or drops the line when its name or path is empty.
    void ParseTraceLine(std::string_view line);
    // The text after the first occurrence of key, up to the next separator or the line end.
    static std::string GetLineField(std::string_view line, std::string_view key, char separator);

    bool TraceExists(const std::string& name) const;
    // The first trace of that name in list order; none for an empty name.
    const CTraceSettings* FindTrace(const std::string& name) const;

    std::vector<CTraceSettings>& GetTraces() { return m_traces; }
    const std::vector<CTraceSettings>& GetTraces() const { return m_traces; }
    std::filesystem::path GetFilePath() const;

private:
    std::string FormatTraceList() const;

    std::filesystem::path m_programFolder;
    ITraceListNotifier& m_notifier;
    std::vector<CTraceSettings> m_traces;
};
