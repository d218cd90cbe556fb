#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ITraceFile;

// Identity of a file, used only to notice that a file was replaced: on Linux its device,
// inode and birth time (where the file system reports one).
struct CFileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t birthTimeNs = 0;

    bool operator==(const CFileIdentity&) const = default;
};

struct CFileStatus {
    CFileIdentity identity;
    std::int64_t modifiedNs = 0; // full resolution
    std::int64_t size = 0;

    bool operator==(const CFileStatus&) const = default;
};

// The file-system calls of the trace reader, so its rules can be tested with a fake.
class ITraceFileSystem {
public:
    virtual ~ITraceFileSystem() = default;

    // The status of a file; false with the system's reason in `error` when it cannot be read.
    virtual bool GetStatus(const std::string& path, CFileStatus& status, std::string& error) = 0;
    // The path with links, "." and ".." resolved, where the file exists; the path as given
    // otherwise. Two paths of one file give the same answer.
    virtual std::string CanonicalPath(const std::string& path) = 0;
    // Full paths of the regular files in `folder` whose names end in ".trc" (any letter
    // case), not searching subfolders; in enumeration order. False with `error` naming the
    // folder and the reason when the folder cannot be listed (missing, not a folder,
    // unreadable).
    virtual bool ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                                std::string& error) = 0;

    enum class ReadResult { Done, OpenFailed, Short, Error };
    // Reads `size` bytes at `offset` of the file, opened read-only and shared, into `buffer`.
    // On failure `error` names the file and the reason.
    virtual ReadResult ReadAt(const std::string& path, std::int64_t offset, std::int64_t size,
                              char* buffer, std::string& error) = 0;
    // Reads up to `size` bytes at `offset`, fewer only where the file ends; `got` tells how
    // many (0 at the end). Done, or a failure with `error` as ReadAt gives it.
    virtual ReadResult ReadSome(const std::string& path, std::int64_t offset, std::int64_t size,
                                char* buffer, std::int64_t& got, std::string& error) = 0;
    // The file opened for several reads; null with `error` as ReadAt gives it when it cannot
    // be opened. By default each read goes through GetStatus and ReadAt of the path.
    virtual std::unique_ptr<ITraceFile> Open(const std::string& path, std::string& error);
};
