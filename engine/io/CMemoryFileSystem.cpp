#include "CMemoryFileSystem.h"

#include <algorithm>

const std::string* CMemoryFileSystem::Find(const std::string& path, std::string& error) const {
    const auto found = m_files.find(path);
    if (found == m_files.end()) {
        error = path + ": no such file";
        return nullptr;
    }
    return &found->second;
}

bool CMemoryFileSystem::GetStatus(const std::string& path, CFileStatus& status,
                                  std::string& error) {
    const std::string* text = Find(path, error);
    if (text == nullptr) {
        return false;
    }
    status = {};
    status.identity.inode =
        static_cast<std::uint64_t>(std::distance(m_files.begin(), m_files.find(path)) + 1);
    status.size = static_cast<std::int64_t>(text->size());
    return true;
}

bool CMemoryFileSystem::ListTraceFiles(const std::string& folder, std::vector<std::string>&,
                                       std::string& error) {
    error = folder + ": a folder of texts in memory cannot be listed";
    return false;
}

ITraceFileSystem::ReadResult CMemoryFileSystem::ReadAt(const std::string& path, std::int64_t offset,
                                                       std::int64_t size, char* buffer,
                                                       std::string& error) {
    std::int64_t got = 0;
    const ReadResult result = ReadSome(path, offset, size, buffer, got, error);
    if (result == ReadResult::Done && got != size) {
        error = path + ": fewer bytes than asked for";
        return ReadResult::Short;
    }
    return result;
}

ITraceFileSystem::ReadResult CMemoryFileSystem::ReadSome(const std::string& path,
                                                         std::int64_t offset, std::int64_t size,
                                                         char* buffer, std::int64_t& got,
                                                         std::string& error) {
    const std::string* text = Find(path, error);
    if (text == nullptr) {
        return ReadResult::OpenFailed;
    }
    const auto start = std::min<std::size_t>(static_cast<std::size_t>(offset), text->size());
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(size), text->size() - start);
    std::copy_n(text->data() + start, count, buffer);
    got = static_cast<std::int64_t>(count);
    return ReadResult::Done;
}
