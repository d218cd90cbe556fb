#include "CTraceListStore.h"

#include "CFileReplacer.h"
#include "CTraceListFileError.h"
#include "CTraceListLock.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace {

constexpr char kSeparator = '\t';
constexpr const char* kLineEnd = "\r\r\n";

// Whether the list is made read-only: none of its write permissions is on (which binds the
// superuser too), or this user may not write it. A save renames a new file over the list,
// which the folder's permissions alone would allow, so this is asked before.
bool IsReadOnly(const std::filesystem::path& target) {
    using std::filesystem::perms;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (error || !std::filesystem::is_regular_file(status)) {
        return false;
    }
    const perms writable = perms::owner_write | perms::group_write | perms::others_write;
    return (status.permissions() & writable) == perms::none || access(target.c_str(), W_OK) != 0;
}

} // namespace

CTraceListStore::CTraceListStore(std::filesystem::path programFolder, ITraceListNotifier& notifier)
    : m_programFolder(std::move(programFolder)), m_notifier(notifier) {}

std::filesystem::path CTraceListStore::GetFilePath() const {
    return m_programFolder / kFileName;
}

void CTraceListStore::LoadTraceList() {
    std::error_code error;
    if (!std::filesystem::exists(GetFilePath(), error) && !error) {
        m_traces.clear();
        try {
            SaveTraceList();
        } catch (const CTraceListFileError& failure) {
            m_notifier.Notify(failure.what());
        }
        return;
    }
    if (!ReadTraceList()) {
        m_notifier.Notify(kLoadFailureMessage);
    }
}

// Anything but a regular file in the list's place is not opened: opening a FIFO would wait
// for a writer.
bool CTraceListStore::ReadTraceList() {
    m_traces.clear();
    std::error_code error;
    if (!std::filesystem::is_regular_file(GetFilePath(), error)) {
        return false;
    }
    std::ifstream file(GetFilePath(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ParseTraceLine(line);
    }
    return file.is_open() && !file.bad();
}

void CTraceListStore::SaveTraceList() const {
    const std::filesystem::path target = CFileReplacer::ResolveLinks(GetFilePath());
    const CTraceListLock lock(target);
    WriteTraceList(target);
}

bool CTraceListStore::ChangeTraceList(const std::function<bool()>& change) {
    const std::filesystem::path target = CFileReplacer::ResolveLinks(GetFilePath());
    const CTraceListLock lock(target);
    std::error_code error;
    const bool missing = !std::filesystem::exists(target, error) && !error;
    if (!ReadTraceList() && !missing) {
        throw CTraceListFileError(target, "it cannot be read");
    }
    if (!change()) {
        return false;
    }
    WriteTraceList(target);
    return true;
}

void CTraceListStore::WriteTraceList(const std::filesystem::path& target) const {
    if (IsReadOnly(target)) {
        throw CTraceListFileError(target, "the file is read-only");
    }
    RemoveStaleNewFiles(target);
    CFileReplacer file(target);
    if (!file.Open() || !file.Write(FormatTraceList()) || !file.Commit()) {
        throw CTraceListFileError(target, file.GetError());
    }
}

// Only called under the lock: every new file beside the list then belongs to a save that
// ended without renaming it.
void CTraceListStore::RemoveStaleNewFiles(const std::filesystem::path& target) {
    std::error_code error;
    const std::string name = target.filename().string();
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (CFileReplacer::IsNewFileName(name, entry.path().filename().string())) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

std::string CTraceListStore::FormatTraceList() const {
    std::string text;
    for (const CTraceSettings& trace : m_traces) {
        text += "TRACENAME=" + trace.GetValue(CTraceSettings::kTraceName) + kSeparator;
        text += "TRACEPATH=" + trace.GetValue(CTraceSettings::kTracePath) + kSeparator;
        text += "SYS=" + trace.GetValue(CTraceSettings::kSys) + kSeparator;
        text += "OCTCHECK=" + trace.GetValue(CTraceSettings::kOctCheck) + kSeparator;
        text += kLineEnd;
    }
    return text;
}

void CTraceListStore::ParseTraceLine(std::string_view line) {
    const std::string name = GetLineField(line, "TRACENAME=", kSeparator);
    if (name.empty()) {
        return;
    }
    const std::string path = GetLineField(line, "TRACEPATH=", kSeparator);
    if (path.empty()) {
        return;
    }
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, name);
    trace.SetValue(CTraceSettings::kTracePath, path);
    trace.SetValue(CTraceSettings::kSys, GetLineField(line, "SYS=", kSeparator));
    trace.SetValue(CTraceSettings::kOctCheck, GetLineField(line, "OCTCHECK=", kSeparator));
    m_traces.push_back(std::move(trace));
}

std::string CTraceListStore::GetLineField(std::string_view line, std::string_view key,
                                          char separator) {
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t end = std::min(line.find(separator, start), line.size());
        const std::string_view field = line.substr(start, end - start);
        if (field.starts_with(key)) {
            return std::string(field.substr(key.size()));
        }
        start = end + 1;
    }
    return std::string();
}

bool CTraceListStore::TraceExists(const std::string& name) const {
    return std::any_of(m_traces.begin(), m_traces.end(), [&name](const CTraceSettings& trace) {
        return trace.GetValue(CTraceSettings::kTraceName) == name;
    });
}

const CTraceSettings* CTraceListStore::FindTrace(const std::string& name) const {
    if (name.empty()) {
        return nullptr;
    }
    const auto it =
        std::find_if(m_traces.begin(), m_traces.end(), [&name](const CTraceSettings& trace) {
            return trace.GetValue(CTraceSettings::kTraceName) == name;
        });
    return it == m_traces.end() ? nullptr : &*it;
}
