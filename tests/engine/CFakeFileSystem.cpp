#include "CFakeFileSystem.h"

#include <algorithm>
#include <cstring>

void CFakeFileSystem::Put(const std::string& path, std::string bytes, std::int64_t tick) {
    auto [it, added] = m_files.try_emplace(path);
    CFile& file = it->second;
    if (added) {
        file.status.identity.inode = m_nNextInode++;
    }
    file.bytes = std::move(bytes);
    file.status.size = static_cast<std::int64_t>(file.bytes.size());
    file.status.modifiedNs += tick;
}

void CFakeFileSystem::Rename(const std::string& from, const std::string& to) {
    auto node = m_files.extract(from);
    node.key() = to;
    m_files.insert(std::move(node));
}

bool CFakeFileSystem::GetStatus(const std::string& path, CFileStatus& status, std::string& error) {
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        error = path + ": No such file or directory";
        return false;
    }
    status = it->second.status;
    if (afterStatus) {
        afterStatus();
    }
    return true;
}

bool CFakeFileSystem::ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                                     std::string& error) {
    paths.clear();
    if (missingFolders.contains(folder)) {
        error = folder + ": No such file or directory";
        return false;
    }
    for (const auto& [path, file] : m_files) {
        if (path.starts_with(folder + "/") && path.ends_with(".trc")) {
            paths.insert(paths.begin(), path); // enumeration order is not path order
        }
    }
    return true;
}

ITraceFileSystem::ReadResult CFakeFileSystem::ReadAt(const std::string& path, std::int64_t offset,
                                                     std::int64_t size, char* buffer,
                                                     std::string& error) {
    if (reads.empty() || reads.back() != path) {
        reads.push_back(path);
    }
    bytesRead += size;
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        error = path + ": No such file or directory";
        return ReadResult::OpenFailed;
    }
    if (it->second.failure != ReadResult::Done) {
        error = path + ": Input/output error";
        return it->second.failure;
    }
    const std::string& bytes = it->second.bytes;
    if (offset + size > static_cast<std::int64_t>(bytes.size())) {
        error = path + ": the file ended before the expected size";
        return ReadResult::Short;
    }
    std::memcpy(buffer, bytes.data() + offset, static_cast<std::size_t>(size));
    return ReadResult::Done;
}

ITraceFileSystem::ReadResult CFakeFileSystem::ReadSome(const std::string& path, std::int64_t offset,
                                                       std::int64_t size, char* buffer,
                                                       std::int64_t& got, std::string& error) {
    got = 0;
    const auto it = m_files.find(path);
    const std::int64_t length =
        it == m_files.end() ? 0 : static_cast<std::int64_t>(it->second.bytes.size());
    const std::int64_t available = std::clamp<std::int64_t>(length - offset, 0, size);
    const ReadResult result = ReadAt(path, offset, available, buffer, error);
    got = result == ReadResult::Done ? available : 0;
    return result;
}

int CFakeShares::GetDriveType(const std::string& drive) {
    calls.push_back("type " + drive);
    return driveType;
}

bool CFakeShares::GetRemoteName(const std::string& drive, std::string& remoteName) {
    calls.push_back("remote " + drive);
    remoteName = remembered;
    return !remembered.empty();
}

bool CFakeShares::AddConnection(const std::string& remoteName) {
    calls.push_back("connect " + remoteName);
    return true;
}
