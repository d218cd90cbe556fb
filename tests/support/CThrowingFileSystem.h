#pragma once

#include "CPosixFileSystem.h"

#include <atomic>
#include <new>
#include <stdexcept>

// The real file system, except that the next `listingsToFail` folder listings throw
// std::bad_alloc, as a read running out of memory would, and the next `readsToFail` reads
// throw a std::runtime_error. Workers on other threads may call it while a test sets it.
class CThrowingFileSystem final : public ITraceFileSystem {
public:
    std::atomic<int> listingsToFail = 0;
    std::atomic<int> readsToFail = 0;
    std::atomic<int> listings = 0; // listings that did not throw

    bool GetStatus(const std::string& path, CFileStatus& status, std::string& error) override {
        return m_real.GetStatus(path, status, error);
    }
    std::string CanonicalPath(const std::string& path) override {
        return m_real.CanonicalPath(path);
    }
    bool ListTraceFiles(const std::string& folder, std::vector<std::string>& paths,
                        std::string& error) override {
        if (Take(listingsToFail)) {
            throw std::bad_alloc();
        }
        const bool listed = m_real.ListTraceFiles(folder, paths, error);
        ++listings;
        return listed;
    }
    ReadResult ReadAt(const std::string& path, std::int64_t offset, std::int64_t size, char* buffer,
                      std::string& error) override {
        ThrowOnRead();
        return m_real.ReadAt(path, offset, size, buffer, error);
    }
    ReadResult ReadSome(const std::string& path, std::int64_t offset, std::int64_t size,
                        char* buffer, std::int64_t& got, std::string& error) override {
        ThrowOnRead();
        return m_real.ReadSome(path, offset, size, buffer, got, error);
    }

private:
    // Takes one from `count` unless it is 0; whether it took one.
    static bool Take(std::atomic<int>& count) {
        int left = count.load();
        while (left > 0 && !count.compare_exchange_weak(left, left - 1)) {
        }
        return left > 0;
    }
    void ThrowOnRead() {
        if (Take(readsToFail)) {
            throw std::runtime_error("the disk is on fire");
        }
    }

    CPosixFileSystem m_real;
};
