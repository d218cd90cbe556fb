#include "COpenRequest.h"

#include <algorithm>
#include <string_view>

COpenRequest COpenRequest::TraceFiles(std::vector<std::string> paths, bool showSys) {
    COpenRequest request;
    request.m_mode = Mode::TraceFiles;
    request.m_bShowSys = showSys;
    std::string names;
    for (const std::string& path : paths) {
        names += TraceNameFromPath(path) + ';';
    }
    request.m_strTraceName = names.substr(0, kTitleLength);
    if (names.size() > kTitleLength) {
        request.m_strTraceName += "...";
    }
    request.m_paths = std::move(paths);
    return request;
}

COpenRequest COpenRequest::LiveTrace(std::string name, std::string folder, bool showSys,
                                     std::string commandTypeFlags) {
    COpenRequest request;
    request.m_mode = Mode::LiveTrace;
    request.m_strTraceName = std::move(name);
    request.m_strTraceFolder = std::move(folder);
    request.m_bShowSys = showSys;
    request.m_strCommandTypeFlags = std::move(commandTypeFlags);
    return request;
}

std::string COpenRequest::TraceNameFromPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A compressed trace is named as the trace it holds: "a_ora_1.trc.gz" as "a_ora_1.trc".
    for (const std::string_view compressed : {".gz", ".xz", ".bz2"}) {
        if (name.size() > compressed.size() && name.ends_with(compressed)) {
            name.resize(name.size() - compressed.size());
            break;
        }
    }
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    std::erase(name, '|');
    return name;
}
