#include "ITraceFileSystem.h"

#include "CPathTraceFile.h"

std::unique_ptr<ITraceFile> ITraceFileSystem::Open(const std::string& path, std::string&) {
    return std::make_unique<CPathTraceFile>(*this, path);
}
