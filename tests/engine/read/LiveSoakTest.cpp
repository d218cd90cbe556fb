#include "CFakeFileSystem.h"
#include "CTempFolder.h"
#include "CTraceGenerator.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// A followed folder under a writer that does what servers, administrators and file systems
// do to trace files, in random order for about 15 seconds: appends cut anywhere (inside
// lines and inside CR LF pairs), files cut to zero, files cut and written again within one
// read, renames (with a new file under the old name or not), regions preallocated as zeros
// and written later, and files made unreadable for a while. At the end every file is written
// to its end and read: the records the reads appended and updated equal file mode's records
// of each file's text since it was last cut to zero, and no statement comes twice.
namespace {

constexpr auto kWriteTime = std::chrono::seconds(15);
constexpr std::size_t kMaxFiles = 6;

// One trace file as its writer knows it. Its generation is its text since it was last cut to
// zero; the file holds the first `written` bytes of it, then `zeros` zero bytes. The writer
// always keeps a byte of the text unwritten, so the last write makes the file grow.
struct CTraceFile {
    int id = 0;
    int generation = 0;
    std::string path;
    std::string text;
    std::size_t written = 0;
    std::size_t zeros = 0;
    bool locked = false;

    // The first characters of the SQL text of each statement of the generation.
    std::string Tag() const {
        return "/*f" + std::to_string(id) + " g" + std::to_string(generation) + " n";
    }
    std::size_t Room() const { return text.size() - 1 - written - zeros; }
};

class LiveSoak : public testing::Test {
protected:
    LiveSoak() : m_live(TestCatalog(), m_fileSystem, m_notifier) {
        m_live.SetPath(m_folder.Path());
        m_live.SetShowSys(1);
        m_live.Reader().SetPieceBytes(4000);
    }

    int Pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_random); }

    // Generated statements, each with a first SQL line that names it, and line breaks LF,
    // CR LF or a random mix with CR alone.
    void StartGeneration(CTraceFile& file) {
        ++file.generation;
        const bool crlf = Pick(0, 1) == 1;
        CTraceGenerator generator(m_random(), crlf ? CTraceGenerator::LineEnd::CrLf
                                                   : CTraceGenerator::LineEnd::Lf);
        std::string raw;
        generator.AppendHeader(raw);
        generator.AppendStatements(raw, Pick(20'000, 80'000));
        std::string text;
        int statement = 0;
        for (std::size_t start = 0; start < raw.size();) {
            const std::size_t end = std::min(raw.find('\n', start), raw.size() - 1) + 1;
            const std::string_view line(raw.data() + start, end - start);
            text += line;
            if (line.starts_with("PARSING IN CURSOR") || line.starts_with("PARSE ERROR")) {
                text += file.Tag() + std::to_string(statement++) + "*/" + (crlf ? "\r\n" : "\n");
            }
            start = end;
        }
        file.text = Pick(0, 2) == 0 ? MixLineBreaks(text) : text;
        file.written = 0;
        file.zeros = 0;
    }

    std::string MixLineBreaks(const std::string& text) {
        static constexpr std::string_view kBreaks[] = {"\n", "\r\n", "\r"};
        std::string out;
        for (const char c : text) {
            if (c == '\n') {
                out += kBreaks[Pick(0, 2)];
            } else if (c != '\r') {
                out += c;
            }
        }
        return out;
    }

    // Runs `change` on the file's descriptor, opened for writing with `flags`; a locked file
    // is unlocked around it, since its writer may write to it.
    template <typename Action> void Change(const CTraceFile& file, int flags, Action change) {
        if (file.locked) {
            ASSERT_EQ(::chmod(file.path.c_str(), 0644), 0);
        }
        const int fd = ::open(file.path.c_str(), O_WRONLY | O_CREAT | flags, 0644);
        ASSERT_GE(fd, 0) << file.path;
        change(fd);
        ::close(fd);
        if (file.locked) {
            ASSERT_EQ(::chmod(file.path.c_str(), 0), 0);
        }
    }

    void Write(CTraceFile& file, std::size_t bytes, int flags = 0) {
        Change(file, flags, [&](int fd) {
            ASSERT_EQ(::pwrite(fd, file.text.data() + file.written, bytes,
                               static_cast<off_t>(file.written)),
                      static_cast<ssize_t>(bytes));
        });
        file.written += bytes;
        file.zeros -= std::min(file.zeros, bytes);
    }

    void Truncate(CTraceFile& file, std::size_t size) {
        Change(file, 0, [&](int fd) { ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0); });
    }

    std::string NewPath(int id) {
        return m_folder.File("f" + std::to_string(id) + "v" + std::to_string(++m_nNames) + "_ora_" +
                             std::to_string(100 + id) + ".trc");
    }

    void AddFile(const std::string& path) {
        CTraceFile& file = m_files.emplace_back();
        file.id = static_cast<int>(m_files.size());
        file.path = path;
        StartGeneration(file);
        Write(file, std::min<std::size_t>(file.Room(), Pick(0, 3000)));
    }

    // One thing the writer does to a file.
    void Step(CTraceFile& file) {
        const int what = Pick(0, 99);
        if (what < 62) {
            const int most = Pick(0, 9) == 0 ? 40'000 : 4'000;
            Write(file, std::min<std::size_t>(file.text.size() - 1 - file.written, Pick(1, most)));
        } else if (what < 70) {
            if (file.zeros == 0) {
                file.zeros = std::min<std::size_t>(file.Room(), Pick(1, 6000));
                Truncate(file, file.written + file.zeros);
            }
        } else if (what < 76) {
            Truncate(file, 0);
            StartGeneration(file);
        } else if (what < 82) {
            const std::size_t old = file.written + file.zeros;
            StartGeneration(file);
            Write(file, std::min<std::size_t>(file.Room(), old + Pick(0, 3000)), O_TRUNC);
        } else if (what < 90) {
            const std::string old = file.path;
            file.path = NewPath(file.id);
            ASSERT_EQ(::rename(old.c_str(), file.path.c_str()), 0);
            if (m_files.size() < kMaxFiles && Pick(0, 1) == 0) {
                AddFile(old);
            }
        } else {
            file.locked = !file.locked;
            ASSERT_EQ(::chmod(file.path.c_str(), file.locked ? 0 : 0644), 0);
        }
    }

    // Reads the folder, checking the batch: deltas name records appended by earlier reads,
    // appended records have serials of their own.
    void Read() {
        CReadBatch batch = m_live.Reader().ReadFolder();
        for (const CRecordDelta& delta : batch.updated) {
            ASSERT_TRUE(m_serials.contains(delta.serial)) << "a delta for no record";
        }
        for (std::size_t r = 0; r < batch.appended.Size(); ++r) {
            ASSERT_TRUE(m_serials.insert(batch.appended.At(r).m_nSerial).second)
                << "a serial used twice";
        }
        m_live.Apply(std::move(batch));
        ++m_nReads;
    }

    CTempFolder m_folder;
    CPosixFileSystem m_fileSystem;
    CRecordingNotifier m_notifier;
    CTraceAnalyzer m_live;
    std::mt19937 m_random{20261207};
    std::deque<CTraceFile> m_files;
    std::set<std::uint64_t> m_serials;
    int m_nNames = 0;
    int m_nReads = 0;
};

std::string FirstLine(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

TEST_F(LiveSoak, FollowedFilesEndWithTheRecordsOfFileModeWhateverWasDoneToThem) {
    m_live.ReadFolder();
    AddFile(NewPath(1));
    AddFile(NewPath(2));
    AddFile(NewPath(3));
    int steps = 0;
    const auto end = std::chrono::steady_clock::now() + kWriteTime;
    while (std::chrono::steady_clock::now() < end && !HasFatalFailure()) {
        Step(m_files[static_cast<std::size_t>(Pick(0, static_cast<int>(m_files.size()) - 1))]);
        ++steps;
        if (Pick(0, 3) != 0) {
            Read();
        }
    }
    for (CTraceFile& file : m_files) {
        if (file.locked) {
            file.locked = false;
            ASSERT_EQ(::chmod(file.path.c_str(), 0644), 0);
        }
        Write(file, file.text.size() - file.written);
    }
    Read();
    Read();

    const std::vector<CStatementRecord> records = RecordsOf(m_live);
    std::set<std::string> tags;
    for (const CStatementRecord& record : records) {
        const std::string tag = FirstLine(record.SqlCopy());
        EXPECT_TRUE(tag.empty() || tags.insert(tag).second) << "read twice: " << tag;
    }
    for (const CTraceFile& file : m_files) {
        SCOPED_TRACE(file.path + ", generation " + std::to_string(file.generation));
        std::vector<CStatementRecord> followed;
        for (const CStatementRecord& record : records) {
            if (record.SqlCopy().starts_with(file.Tag())) {
                followed.push_back(record);
            }
        }
        const std::vector<CStatementRecord> expected = FileModeRecords({file.path}, true);
        EXPECT_FALSE(expected.empty());
        ExpectSameRecords(followed, expected);
    }
    // Unreadable files (for anyone but the superuser) are reported once, and once again
    // when they can be read again.
    std::size_t failed = 0;
    std::size_t recovered = 0;
    for (const std::string& message : m_notifier.messages) {
        failed += message == "wrong at reading trace file" ? 1 : 0;
        recovered += message.ends_with(": can be read again") ? 1 : 0;
    }
    EXPECT_EQ(failed, recovered);
    EXPECT_EQ(m_notifier.messages.size(), 3 * failed);
    std::printf("[   SOAK   ] %d steps, %d reads, %zu files, %zu failed reads reported\n", steps,
                m_nReads, m_files.size(), failed);
}

} // namespace
