#include "CRecordContext.h"
#include "CSharedText.h"
#include "CStatementRecord.h"
#include "CTempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace {

// Hands batches from the reading thread to the thread that owns the records.
class CBatchQueue {
public:
    void Push(CReadBatch&& batch) {
        const std::lock_guard lock(m_mutex);
        m_batches.push_back(std::move(batch));
        m_ready.notify_one();
    }
    bool Pop(CReadBatch& batch) {
        std::unique_lock lock(m_mutex);
        m_ready.wait_for(lock, std::chrono::milliseconds(5), [&] { return !m_batches.empty(); });
        if (m_batches.empty()) {
            return false;
        }
        batch = std::move(m_batches.front());
        m_batches.pop_front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<CReadBatch> m_batches;
};

std::string WriterTrace(int writer) {
    std::string bytes;
    for (int i = 0; i < 60; ++i) {
        bytes += CursorBlock(i, 5 + writer, i % 3 == 0 ? 2 : 3,
                             "select " + std::to_string(writer) + "\n from t" + std::to_string(i));
        bytes += "WAIT #" + std::to_string(i) + ": nam='db file sequential read' ela= 12\n";
        bytes += "STAT #" + std::to_string(i) + " id=1 cnt=1 pid=0 pos=1 obj=0 op='FAST DUAL'\n";
    }
    return bytes;
}

void Write(const std::string& path, const std::string& bytes, int seed) {
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_int_distribution<std::size_t> piece(1, 700);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min(piece(random), bytes.size() - at);
        CTempFolder::Append(path, std::string_view(bytes).substr(at, n));
        at += n;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

// Writers append to their own trace files while one thread reads the folder and the test's
// thread applies the batches and reads the records; no record is lost or listed twice.
TEST(ConcurrentRead, WorkerReadsWhileOwnerAppliesAndReads) {
    CTempFolder folder;
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CStderrNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath(folder.Path());
    analyzer.SetShowSys(1);
    analyzer.ReadFolder();

    constexpr int kWriters = 3;
    std::atomic<int> writing = kWriters;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            Write(folder.File("w_ora_" + std::to_string(w) + ".trc"), WriterTrace(w), w);
            --writing;
        });
    }
    CBatchQueue queue;
    std::atomic<bool> readerDone = false;
    std::thread reader([&] {
        while (writing > 0) {
            queue.Push(analyzer.Reader().ReadFolder());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        queue.Push(analyzer.Reader().ReadFolder());
        readerDone = true;
    });
    std::int64_t shown = 0;
    CReadBatch batch;
    while (!readerDone || queue.Pop(batch)) {
        if (queue.Pop(batch)) {
            const CApplyResult result = analyzer.Apply(std::move(batch));
            shown += result.appendedCount;
            for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
                ASSERT_FALSE(analyzer.GetRecord(i).Node().empty())
                    << "a live record's block is copied";
            }
        }
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    reader.join();
    EXPECT_EQ(shown, analyzer.GetCount());

    std::map<std::string, std::vector<CStatementRecord>> byFile;
    for (const CStatementRecord& record : RecordsOf(analyzer)) {
        byFile[std::string(record.Pid())].push_back(record);
    }
    ASSERT_EQ(byFile.size(), static_cast<std::size_t>(kWriters));
    for (int w = 0; w < kWriters; ++w) {
        SCOPED_TRACE("writer " + std::to_string(w));
        ExpectSameRecords(
            byFile[std::to_string(w)],
            FileModeRecords({folder.File("w_ora_" + std::to_string(w) + ".trc")}, true));
    }
}

// A file read in small pieces, analysed on all threads and joined in file order as they
// finish, out of order or not, gives the views of the file read in one piece; the pieces'
// buffers go from thread to thread (the sanitizers of the test builds see a race).
TEST(ConcurrentRead, PiecesJoinedAsTheyFinishGiveTheViewsOfOnePiece) {
    CTempFolder folder;
    const std::string path = folder.File("pieces_ora_3.trc");
    CTempFolder::Write(path, WriterTrace(0) + WriterTrace(1) + WriterTrace(2));
    const CTimeViews whole = FileModeViews({path}, true, std::int64_t{1} << 26);
    ASSERT_EQ(whole.records.size(), 180u);
    ExpectSameViews(FileModeViews({path}, true, 300), whole);
}

// Records that share one SQL text are copied, moved and dropped by the reading threads and the
// owner at once: the text must stay whole while any of them holds it and be freed once (the
// sanitizers of the test builds see a race, a use after free or a leak).
TEST(ConcurrentRead, SharedTextOwnersOnManyThreads) {
    std::vector<CSharedText> texts;
    for (int i = 0; i < 64; ++i) {
        texts.emplace_back("select " + std::to_string(i) + " from dual\r\n");
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([mine = texts, &wrong, t] {
            std::vector<CSharedText> held(mine.size());
            for (int round = 0; round < 2000; ++round) {
                const std::size_t i = static_cast<std::size_t>(round * 7 + t) % mine.size();
                held[i] = (round % 3 == 0) ? CSharedText() : mine[i];
                CSharedText moved = std::move(held[(i + 1) % held.size()]);
                held[(i + 1) % held.size()] = moved.Plus("");
                if (!held[i].View().empty() &&
                    held[i].View() != "select " + std::to_string(i) + " from dual\r\n") {
                    ++wrong;
                }
            }
        });
    }
    texts.clear(); // dropped while the threads copy and drop the same texts
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

// Records that share contexts are copied, given other contexts and dropped by several threads
// while the owner lets go of its own: a context must stay whole while any record holds it and
// be deleted once (the sanitizers of the test builds see a race, a use after free or a leak).
TEST(ConcurrentRead, RecordContextOwnersOnManyThreads) {
    std::vector<CStatementRecord> records(64);
    for (std::size_t i = 0; i < records.size(); ++i) {
        CSessionTags tags;
        tags.Set(ESessionTag::Module, "m" + std::to_string(i));
        records[i].SetContext(CRecordContext::Make(std::to_string(i), nullptr, std::move(tags)));
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([mine = records, &wrong, t] {
            std::vector<CStatementRecord> held(mine.size());
            for (int round = 0; round < 2000; ++round) {
                const std::size_t i = static_cast<std::size_t>(round * 7 + t) % mine.size();
                held[i] = (round % 3 == 0) ? CStatementRecord() : mine[i];
                CStatementRecord moved = std::move(held[(i + 1) % held.size()]);
                held[(i + 1) % held.size()].SetContext(
                    moved.Context().WithTags(moved.Context().Tags()));
                if (!held[i].Pid().empty() &&
                    (held[i].Pid() != std::to_string(i) ||
                     held[i].Tags().Value(ESessionTag::Module) != "m" + std::to_string(i))) {
                    ++wrong;
                }
            }
        });
    }
    records.clear(); // dropped while the threads copy and drop the same contexts
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
