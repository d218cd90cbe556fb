#pragma once

#include "INetworkShares.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// Files in memory with statuses the test sets, and failures it can provoke.
class CFakeFileSystem final : public ITraceFileSystem {
public:
    struct CFile {
        std::string bytes;
        CFileStatus status;
        ReadResult failure = ReadResult::Done;
    };

    // Sets the bytes of a file; its size follows them and its time moves on by `tick`.
    void Put(const std::string& path, std::string bytes, std::int64_t tick = 1);
    void Remove(const std::string& path) { m_files.erase(path); }
    // Gives a file another name; it stays the same file (same identity and status).
    void Rename(const std::string& from, const std::string& to);
    CFile& At(const std::string& path) { return m_files.at(path); }

    bool GetStatus(const std::string& path, CFileStatus& status, std::string& error) override;
    // Paths are kept as given: every spelling is a file of its own.
    std::string CanonicalPath(const std::string& path) override { return path; }
    bool ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                        std::string& error) override;
    ReadResult ReadAt(const std::string& path, std::int64_t offset, std::int64_t size, char* buffer,
                      std::string& error) override;
    ReadResult ReadSome(const std::string& path, std::int64_t offset, std::int64_t size,
                        char* buffer, std::int64_t& got, std::string& error) override;

    // Paths in the order they were read; one file read several times in a row counts once.
    std::vector<std::string> reads;
    // Called after each status answered: a test changes the file there, between the check of
    // its status and the read that follows it.
    std::function<void()> afterStatus;
    // Folders that cannot be listed, as if they did not exist.
    std::set<std::string> missingFolders;
    // The bytes all reads asked for.
    std::int64_t bytesRead = 0;

private:
    std::map<std::string, CFile> m_files;
    std::uint64_t m_nNextInode = 1;
};

class CFakeShares final : public INetworkShares {
public:
    int GetDriveType(const std::string& drive) override;
    bool GetRemoteName(const std::string& drive, std::string& remoteName) override;
    bool AddConnection(const std::string& remoteName) override;

    int driveType = kDriveUnknown;
    std::string remembered;
    std::vector<std::string> calls;
};

class CRecordingNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};
