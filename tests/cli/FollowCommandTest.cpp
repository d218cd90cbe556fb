#include "CCommandTypeCatalog.h"
#include "CFollowCommand.h"
#include "CThrowingFileSystem.h"
#include "CTraceAnalyzer.h"
#include "CliTestSupport.h"
#include "IRecordWriter.h"
#include "ITraceNotifier.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <thread>

// velquor-cli follow in the test's own process, over a file system that fails on demand.
namespace {

class CRecordingNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

class CCountingWriter final : public IRecordWriter {
public:
    void Begin() override { ++begun; }
    void Write(std::int64_t, const CStatementRecord&, std::string_view) override { ++written; }
    void End() override { ++ended; }
    int begun = 0;
    int written = 0;
    int ended = 0;
};

TEST(FollowCommandTest, AReadThatThrowsIsReportedAndFollowingGoesOn) {
    clitest::CTempFolder temp;
    CThrowingFileSystem fileSystem;
    fileSystem.listingsToFail = 1;
    CRecordingNotifier notifier;
    const CCommandTypeCatalog catalog;
    CTraceAnalyzer analyzer(catalog, fileSystem, notifier);
    analyzer.SetPath(temp.Path().string());
    CCountingWriter writer;
    CFollowCommand follow(analyzer, writer);
    // Stops the command once a read after the failed one listed the folder (or after a
    // while, should none come).
    const pthread_t self = pthread_self();
    std::thread stopper([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (fileSystem.listings.load() == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pthread_kill(self, SIGINT);
    });
    EXPECT_NO_THROW(follow.Run(temp.Path().string()));
    stopper.join();
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{"the read stopped: not enough memory",
                                                           "wrong at reading trace file"}));
    EXPECT_EQ(writer.begun, 1);
    EXPECT_EQ(writer.ended, 1);
}

} // namespace
