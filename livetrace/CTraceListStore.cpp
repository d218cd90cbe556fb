#include "CTraceListStore.h"

#include "CReplacingFileWriter.h"

#include <algorithm>
#include <fstream>
#include <utility>

namespace {

constexpr char kSeparator = '\t';
constexpr const char* kLineEnd = "\r\r\n";

} // namespace

CTraceListStore::CTraceListStore(std::filesystem::path programFolder, ITraceListNotifier& notifier)
    : m_programFolder(std::move(programFolder)), m_notifier(notifier) {}

std::filesystem::path CTraceListStore::GetFilePath() const {
    return m_programFolder / kFileName;
}

void CTraceListStore::LoadTraceList() {
    m_traces.clear();
    std::ifstream file(GetFilePath(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ParseTraceLine(line);
    }
    if (!file.is_open() || file.bad()) {
        m_notifier.Notify(kLoadFailureMessage);
    }
}

void CTraceListStore::SaveTraceList() const {
    CReplacingFileWriter::Write(GetFilePath(), FormatTraceList());
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
    const std::size_t keyAt = line.find(key);
    if (keyAt == std::string_view::npos) {
        return std::string();
    }
    const std::string_view rest = line.substr(keyAt + key.size());
    return std::string(rest.substr(0, rest.find(separator)));
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
