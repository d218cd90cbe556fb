#pragma once

#include "CTraceSettings.h"
#include "ITraceListNotifier.h"

#include <filesystem>
#include <functional>
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
    // the notifier, and the traces read before the failure stay. A missing file (the first
    // use) is created empty without a word; only a failure to create it is reported.
    void LoadTraceList();
    // Rewrites the file from the list, as CFileReplacer saves: through a new file renamed
    // over the old one, so a failed save leaves the old file whole, and through a link to
    // the file it names. New files left beside it by saves that were killed part way are
    // removed. A read-only file is kept as it is and the save fails. Runs under the list's
    // lock (CTraceListLock). Throws CTraceListFileError.
    void SaveTraceList() const;
    // Changes the list as the file holds it at this moment: under the list's lock, reads the
    // file, lets `change` alter the list through this store and, when it returns true, saves
    // the list. So changes made at once by several programs all survive. A missing file reads
    // as an empty list; a file that cannot be read is never overwritten. Returns what
    // `change` returned; throws CTraceListFileError.
    bool ChangeTraceList(const std::function<bool()>& change);
    // Appends the trace of one line, or drops the line when its name or path is empty.
    void ParseTraceLine(std::string_view line);
    // The value of the first field of the line that starts with key: the text after the key,
    // up to the next separator or the line end. A key inside another field's value is no
    // field, so a folder named "SYS=0" does not set SYS.
    static std::string GetLineField(std::string_view line, std::string_view key, char separator);

    bool TraceExists(const std::string& name) const;
    // The first trace of that name in list order; none for an empty name.
    const CTraceSettings* FindTrace(const std::string& name) const;

    std::vector<CTraceSettings>& GetTraces() { return m_traces; }
    const std::vector<CTraceSettings>& GetTraces() const { return m_traces; }
    std::filesystem::path GetFilePath() const;

private:
    // Replaces the list with the file's traces; false when the file could not be read.
    bool ReadTraceList();
    void WriteTraceList(const std::filesystem::path& target) const;
    static void RemoveStaleNewFiles(const std::filesystem::path& target);
    std::string FormatTraceList() const;

    std::filesystem::path m_programFolder;
    ITraceListNotifier& m_notifier;
    std::vector<CTraceSettings> m_traces;
};
