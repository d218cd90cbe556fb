#include "CPosixFileSystem.h"
#include "CTempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What is not a regular file is refused without being read: a FIFO would make the read wait
// for a writer, a device may never end. The reason goes where every read error goes.
TEST(PosixFileSystemTest, RefusesWhatIsNotARegularFileWithoutWaiting) {
    CTempFolder folder;
    const std::string fifo = folder.File("pipe_ora_1.trc");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, folder.Path(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        CPosixFileSystem fileSystem;
        std::string error;
        char buffer[16];
        auto read = std::async(std::launch::async, [&] {
            return fileSystem.ReadAt(path, 0, sizeof buffer, buffer, error);
        });
        if (read.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the read waits for a writer";
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets the read end
        }
        EXPECT_EQ(read.get(), ITraceFileSystem::ReadResult::OpenFailed);
        EXPECT_EQ(error, path + ": not a regular file");
    }
}

} // namespace
