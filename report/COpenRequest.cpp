#include "COpenRequest.h"

#include <algorithm>

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
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    std::erase(name, '|');
    return name;
}
