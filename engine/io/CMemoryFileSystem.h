#pragma once

#include "ITraceFileSystem.h"

#include <map>
#include <string>

// Trace files held in memory under their paths: a text made from files (a trace cut to a time
// range) is read as a file is, by the same reader.
class CMemoryFileSystem final : public ITraceFileSystem {
public:
    void Add(const std::string& path, std::string text) { m_files[path] = std::move(text); }

    bool GetStatus(const std::string& path, CFileStatus& status, std::string& error) override;
    std::string CanonicalPath(const std::string& path) override { return path; }
    bool ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                        std::string& error) override;
    ReadResult ReadAt(const std::string& path, std::int64_t offset, std::int64_t size, char* buffer,
                      std::string& error) override;
    ReadResult ReadSome(const std::string& path, std::int64_t offset, std::int64_t size,
                        char* buffer, std::int64_t& got, std::string& error) override;

private:
    const std::string* Find(const std::string& path, std::string& error) const;

    std::map<std::string, std::string> m_files;
};
