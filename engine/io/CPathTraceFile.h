#pragma once

#include "ITraceFile.h"

#include <string>
#include <utility>

// A trace file read by its path, each call through the file system's own: what any file
// system offers where it has no open files of its own.
class CPathTraceFile final : public ITraceFile {
public:
    CPathTraceFile(ITraceFileSystem& fileSystem, std::string path)
        : m_fileSystem(fileSystem), m_strPath(std::move(path)) {}

    bool GetStatus(CFileStatus& status, std::string& error) override {
        return m_fileSystem.GetStatus(m_strPath, status, error);
    }
    ITraceFileSystem::ReadResult ReadAt(std::int64_t offset, std::int64_t size, char* buffer,
                                        std::string& error) override {
        return m_fileSystem.ReadAt(m_strPath, offset, size, buffer, error);
    }

private:
    ITraceFileSystem& m_fileSystem;
    std::string m_strPath;
};
