#include "CFileReplacer.h"
#include "CTempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Save(const std::string& path, std::string_view bytes, int& error) {
    CFileReplacer file(path);
    const bool saved = file.Open() && file.Write(bytes) && file.Commit();
    error = file.GetError();
    return saved;
}

// A chain of links, relative and absolute, ends at the file that is written; the links stay.
// A file that replaces another keeps its permissions; a loop of links is refused.
TEST(FileReplacerTest, SavesThroughLinksToTheFileTheyName) {
    CTempFolder folder;
    fs::create_directories(folder.File("real"));
    fs::create_directories(folder.File("sub"));
    fs::create_symlink(folder.File("real/out.sql"), folder.File("sub/second"));
    fs::create_symlink("sub/second", folder.File("first"));
    int error = 0;
    ASSERT_TRUE(Save(folder.File("first"), "new", error)) << std::strerror(error);
    EXPECT_EQ(CTempFolder::Read(folder.File("real/out.sql")), "new");
    EXPECT_TRUE(fs::is_symlink(folder.File("first")));
    EXPECT_TRUE(fs::is_symlink(folder.File("sub/second")));

    ASSERT_EQ(::chmod(folder.File("real/out.sql").c_str(), 0640), 0);
    ASSERT_TRUE(Save(folder.File("first"), "again", error));
    EXPECT_EQ(CTempFolder::Read(folder.File("real/out.sql")), "again");
    struct stat status {};
    ASSERT_EQ(::stat(folder.File("real/out.sql").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640U);
    EXPECT_EQ(Names(folder.File("real")), std::vector<std::string>{"out.sql"});

    fs::create_symlink("loop2", folder.File("loop1"));
    fs::create_symlink("loop1", folder.File("loop2"));
    EXPECT_FALSE(Save(folder.File("loop1"), "x", error));
    EXPECT_EQ(error, ELOOP);
    EXPECT_TRUE(fs::is_symlink(folder.File("loop1")));
}

// A FIFO is written into, as a shell redirection would. Without a reader the save fails at
// once instead of waiting for one.
TEST(FileReplacerTest, WritesIntoAFifoWithoutWaitingForAReader) {
    CTempFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int error = 0;
    EXPECT_FALSE(Save(fifo, "lost", error));
    EXPECT_EQ(error, ENXIO);

    auto reader = std::async(std::launch::async, [&] {
        std::ifstream in(fifo, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    const std::string bytes(1 << 20, 'x'); // more than a pipe holds: the writer must wait
    bool saved = false;
    while (!saved && error == ENXIO) { // until the reader's open has reached the FIFO
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        saved = Save(fifo, bytes, error);
    }
    EXPECT_TRUE(saved) << std::strerror(error);
    EXPECT_EQ(reader.get(), bytes);
    struct stat status {};
    ASSERT_EQ(::lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // A reader that goes away fails the save; it does not end the program with SIGPIPE.
    auto quitter = std::async(std::launch::async, [&] { std::ifstream in(fifo); });
    saved = false;
    error = ENXIO;
    while (!saved && error == ENXIO) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        saved = Save(fifo, bytes, error);
    }
    quitter.get();
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, EPIPE);
}

} // namespace
