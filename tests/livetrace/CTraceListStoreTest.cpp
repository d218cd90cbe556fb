#include "CTraceListStore.h"
#include "CTraceListFileError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CRecordingNotifier final : public ITraceListNotifier {
public:
    void Notify(const std::string& message) override { m_messages.push_back(message); }
    std::vector<std::string> m_messages;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

CTraceSettings MakeTrace(const std::string& name, const std::string& path, const std::string& sys,
                         const std::string& octCheck) {
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, name);
    trace.SetValue(CTraceSettings::kTracePath, path);
    trace.SetValue(CTraceSettings::kSys, sys);
    trace.SetValue(CTraceSettings::kOctCheck, octCheck);
    return trace;
}

const std::string kProdLine =
    "TRACENAME=prod\tTRACEPATH=D:\\trace\\prod\tSYS=0\tOCTCHECK=101\t\r\r\n";

class TraceListStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velquor-live-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path ListFile() const { return m_folder / "trace.list"; }
    fs::path LockFile() const { return m_folder / "trace.list.lock"; }
    // Sorted.
    std::vector<fs::path> FolderEntries() const {
        std::vector<fs::path> entries{fs::directory_iterator(m_folder), fs::directory_iterator()};
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    fs::path m_folder;
    CRecordingNotifier m_notifier;
};

TEST_F(TraceListStoreTest, SavesTheExactBytesAndReadsThemBackIdentically) {
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("prod", "D:\\trace\\prod", "0", "101"));
    store.GetTraces().push_back(MakeTrace("test", "/u01/trace", "1", std::string(144, '1')));
    store.SaveTraceList();
    const std::string saved = ReadBytes(ListFile());
    EXPECT_EQ(saved, kProdLine + "TRACENAME=test\tTRACEPATH=/u01/trace\tSYS=1\tOCTCHECK=" +
                         std::string(144, '1') + "\t\r\r\n");

    const std::vector<CTraceSettings> before = store.GetTraces();
    store.LoadTraceList();
    EXPECT_EQ(store.GetTraces(), before);
    store.SaveTraceList();
    EXPECT_EQ(ReadBytes(ListFile()), saved);
    EXPECT_TRUE(m_notifier.m_messages.empty());
}

TEST_F(TraceListStoreTest, MissingKeysAreSavedAsEmptyValues) {
    CTraceListStore store(m_folder, m_notifier);
    CTraceSettings trace;
    trace.SetValue(CTraceSettings::kTraceName, "a");
    trace.SetValue(CTraceSettings::kTracePath, "/p");
    store.GetTraces().push_back(trace);
    store.SaveTraceList();
    EXPECT_EQ(ReadBytes(ListFile()), "TRACENAME=a\tTRACEPATH=/p\tSYS=\tOCTCHECK=\t\r\r\n");
}

struct LineCase {
    const char* description;
    std::string line;
    bool loaded;
    std::string name, path, sys, octCheck;
};

void PrintTo(const LineCase& test, std::ostream* out) {
    *out << test.description;
}

class TraceLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(TraceLineTest, ReadsFieldsByKey) {
    const LineCase& test = GetParam();
    CRecordingNotifier notifier;
    CTraceListStore store(fs::path(), notifier);
    store.ParseTraceLine(test.line);
    ASSERT_EQ(store.GetTraces().size(), test.loaded ? 1U : 0U) << test.description;
    if (test.loaded) {
        EXPECT_EQ(store.GetTraces()[0], MakeTrace(test.name, test.path, test.sys, test.octCheck))
            << test.description;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TraceLineTest,
    ::testing::Values(
        LineCase{"saved line as read (one CR left)",
                 "TRACENAME=prod\tTRACEPATH=D:\\trace\\prod\tSYS=0\tOCTCHECK=101\t\r", true, "prod",
                 "D:\\trace\\prod", "0", "101"},
        LineCase{"fields in another order", "OCTCHECK=01\tSYS=1\tTRACEPATH=/t\tTRACENAME=n\t", true,
                 "n", "/t", "1", "01"},
        LineCase{"further fields between them",
                 "X=1\tTRACENAME=n\tHOST=db1\tTRACEPATH=/t\tSYS=1\tMORE=x\tOCTCHECK=1\t", true, "n",
                 "/t", "1", "1"},
        LineCase{"last TAB missing", "TRACENAME=n\tTRACEPATH=/t\tSYS=0\tOCTCHECK=11", true, "n",
                 "/t", "0", "11"},
        LineCase{"last TAB missing keeps the stray CR",
                 "TRACENAME=n\tTRACEPATH=/t\tSYS=0\tOCTCHECK=11\r", true, "n", "/t", "0", "11\r"},
        LineCase{"no SYS and no OCTCHECK", "TRACENAME=n\tTRACEPATH=/t\t", true, "n", "/t", "", ""},
        LineCase{"a key inside a value is no field",
                 "TRACENAME=n\tTRACEPATH=/mnt/SYS=0/trace\tSYS=1\tOCTCHECK=1\t", true, "n",
                 "/mnt/SYS=0/trace", "1", "1"},
        LineCase{"a name holding another key", "TRACENAME=xTRACEPATH=/evil\tTRACEPATH=/t\tSYS=0\t",
                 true, "xTRACEPATH=/evil", "/t", "0", ""},
        LineCase{"a key only inside a value reads as missing", "TRACENAME=n\tTRACEPATH=/a/SYS=1\t",
                 true, "n", "/a/SYS=1", "", ""},
        LineCase{"values are not trimmed", "TRACENAME= n \tTRACEPATH= /t\t", true, " n ", " /t", "",
                 ""},
        LineCase{"no name", "TRACEPATH=/t\tSYS=0\tOCTCHECK=1\t", false, "", "", "", ""},
        LineCase{"empty name", "TRACENAME=\tTRACEPATH=/t\tSYS=0\t", false, "", "", "", ""},
        LineCase{"no path", "TRACENAME=n\tSYS=0\tOCTCHECK=1\t", false, "", "", "", ""},
        LineCase{"empty path", "TRACENAME=n\tTRACEPATH=\tSYS=0\t", false, "", "", "", ""},
        LineCase{"empty line", "", false, "", "", "", ""}));

TEST_F(TraceListStoreTest, AcceptsEveryLineEndAndALastLineWithoutOne) {
    WriteBytes(ListFile(), "TRACENAME=a\tTRACEPATH=/a\tSYS=1\tOCTCHECK=1\t\r\r\n"
                           "TRACENAME=b\tTRACEPATH=/b\tSYS=1\tOCTCHECK=1\t\r\n"
                           "TRACENAME=c\tTRACEPATH=/c\tSYS=1\tOCTCHECK=1\t\n"
                           "\r\n"
                           "TRACENAME=d\tTRACEPATH=/d\tSYS=1\tOCTCHECK=1");
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    ASSERT_EQ(store.GetTraces().size(), 4U);
    const char* names[] = {"a", "b", "c", "d"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(store.GetTraces()[i], MakeTrace(names[i], std::string("/") + names[i], "1", "1"));
    }
    EXPECT_TRUE(m_notifier.m_messages.empty());
}

TEST_F(TraceListStoreTest, ANameWithATabIsCutThereWhenReadBack) {
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("left\tright", "/t", "0", "1"));
    store.SaveTraceList();
    store.LoadTraceList();
    ASSERT_EQ(store.GetTraces().size(), 1U);
    EXPECT_EQ(store.GetTraces()[0].GetValue(CTraceSettings::kTraceName), "left");
}

TEST_F(TraceListStoreTest, MissingFileIsCreatedEmptyWithoutAWord) {
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    EXPECT_TRUE(store.GetTraces().empty());
    EXPECT_TRUE(m_notifier.m_messages.empty());
    EXPECT_EQ(ReadBytes(ListFile()), "");

    store.GetTraces().push_back(MakeTrace("prod", "D:\\trace\\prod", "0", "101"));
    store.SaveTraceList();
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
    EXPECT_EQ(FolderEntries(), (std::vector<fs::path>{ListFile(), LockFile()}));
}

TEST_F(TraceListStoreTest, EmptyFileIsAnEmptyListWithoutMessage) {
    WriteBytes(ListFile(), "");
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("stale", "/s", "0", ""));
    store.LoadTraceList();
    EXPECT_TRUE(store.GetTraces().empty());
    EXPECT_TRUE(m_notifier.m_messages.empty());
}

// A folder or a FIFO in the list's place is reported; a FIFO is not opened, which would wait
// for a writer.
TEST_F(TraceListStoreTest, UnreadableListIsReported) {
    for (const bool fifo : {false, true}) {
        fs::remove(ListFile());
        ASSERT_TRUE(fifo ? mkfifo(ListFile().c_str(), 0600) == 0
                         : fs::create_directory(ListFile()));
        m_notifier.m_messages.clear();
        CTraceListStore store(m_folder, m_notifier);
        store.LoadTraceList();
        EXPECT_TRUE(store.GetTraces().empty());
        EXPECT_EQ(m_notifier.m_messages.size(), 1U);
    }
}

TEST_F(TraceListStoreTest, DuplicatesLoadAndLookupIsExactAndInListOrder) {
    WriteBytes(ListFile(), "TRACENAME=prod\tTRACEPATH=/first\tSYS=0\tOCTCHECK=1\t\r\r\n"
                           "TRACENAME=Prod\tTRACEPATH=/upper\tSYS=0\tOCTCHECK=1\t\r\r\n"
                           "TRACENAME=prod\tTRACEPATH=/second\tSYS=1\tOCTCHECK=0\t\r\r\n");
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    ASSERT_EQ(store.GetTraces().size(), 3U);
    ASSERT_NE(store.FindTrace("prod"), nullptr);
    EXPECT_EQ(store.FindTrace("prod"), &store.GetTraces()[0]);
    EXPECT_EQ(store.FindTrace("Prod"), &store.GetTraces()[1]);
    EXPECT_EQ(store.FindTrace("PROD"), nullptr);
    EXPECT_EQ(store.FindTrace(""), nullptr);
    EXPECT_TRUE(store.TraceExists("Prod"));
    EXPECT_FALSE(store.TraceExists("prod "));
    EXPECT_FALSE(store.TraceExists(""));
}

TEST_F(TraceListStoreTest, SaveIntoAMissingFolderNamesTheFile) {
    CTraceListStore store(m_folder / "missing", m_notifier);
    store.GetTraces().push_back(MakeTrace("prod", "/t", "0", "1"));
    try {
        store.SaveTraceList();
        FAIL() << "the save did not fail";
    } catch (const CTraceListFileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find((m_folder / "missing" / "trace.list").string()), std::string::npos);
        EXPECT_NE(message.find("No such file or directory"), std::string::npos);
    }
}

TEST_F(TraceListStoreTest, FailedRenameKeepsTheOldListAndLeavesNoNewFile) {
    fs::create_directory(ListFile());
    WriteBytes(ListFile() / "keep", "x");
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("prod", "/t", "0", "1"));
    EXPECT_THROW(store.SaveTraceList(), CTraceListFileError);
    EXPECT_EQ(FolderEntries(), (std::vector<fs::path>{ListFile(), LockFile()}));
    EXPECT_EQ(ReadBytes(ListFile() / "keep"), "x");
}

// Runs `act` in a child process as a user without privileges when the test runs as the
// superuser, who may write anywhere; returns what `act` returned.
std::string RunUnprivileged(const std::function<std::string()>& act) {
    if (geteuid() != 0) {
        return act();
    }
    int channel[2];
    if (pipe(channel) != 0) {
        return "pipe failed";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const uid_t nobody = 65534;
        const std::string result = setgid(nobody) == 0 && setuid(nobody) == 0 ? act() : "setuid";
        const bool written =
            write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return result;
}

// A save writes a new file into the folder, so a folder the user may not write fails it,
// however writable the list itself is; the message names that folder.
TEST_F(TraceListStoreTest, UnwritableFolderIsNamedAndKeepsTheOldList) {
    WriteBytes(ListFile(), kProdLine);
    fs::permissions(ListFile(), fs::perms::all);
    fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    const std::string message = RunUnprivileged([this] {
        CTraceListStore store(m_folder, m_notifier);
        try {
            store.ChangeTraceList([&store] {
                store.GetTraces().push_back(MakeTrace("new", "/n", "0", "1"));
                return true;
            });
        } catch (const CTraceListFileError& error) {
            return std::string(error.what());
        }
        return std::string("the save did not fail");
    });
    fs::permissions(m_folder, fs::perms::owner_all);
    EXPECT_EQ(message, "Cannot save the trace list \"" + ListFile().string() +
                           "\": Permission denied (saving needs write access to the folder \"" +
                           m_folder.string() + "\")");
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
}

// A list made read-only in a writable folder is kept as it is, whoever saves: the save says
// it cannot be saved instead of renaming a new file over it.
TEST_F(TraceListStoreTest, ReadOnlyListIsNotReplaced) {
    WriteBytes(ListFile(), kProdLine);
    fs::permissions(ListFile(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(m_folder, fs::perms::all);
    const std::string expected =
        "Cannot save the trace list \"" + ListFile().string() + "\": the file is read-only";
    const auto save = [this] {
        CTraceListStore store(m_folder, m_notifier);
        try {
            store.ChangeTraceList([&store] {
                store.GetTraces().push_back(MakeTrace("new", "/n", "0", "1"));
                return true;
            });
        } catch (const CTraceListFileError& error) {
            return std::string(error.what());
        }
        return std::string("the save did not fail");
    };
    EXPECT_EQ(RunUnprivileged(save), expected);
    EXPECT_EQ(save(), expected);
    fs::permissions(m_folder, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
    EXPECT_EQ(FolderEntries(), (std::vector<fs::path>{ListFile(), LockFile()}));
}

// A shared list kept elsewhere and linked from the program's folder is saved through the
// link; the link stays.
TEST_F(TraceListStoreTest, SavesThroughALinkedList) {
    fs::create_directory(m_folder / "shared");
    WriteBytes(m_folder / "shared" / "live.list", kProdLine);
    fs::create_symlink("shared/live.list", ListFile());
    CTraceListStore store(m_folder, m_notifier);
    store.ChangeTraceList([&store] {
        store.GetTraces().push_back(MakeTrace("test", "/u01/trace", "1", "1"));
        return true;
    });
    EXPECT_TRUE(fs::is_symlink(ListFile()));
    EXPECT_EQ(ReadBytes(m_folder / "shared" / "live.list"),
              kProdLine + "TRACENAME=test\tTRACEPATH=/u01/trace\tSYS=1\tOCTCHECK=1\t\r\r\n");
}

// New files left by saves that were killed part way are removed by the next save; other
// files that only look alike stay.
TEST_F(TraceListStoreTest, ASaveRemovesNewFilesLeftByKilledSaves) {
    const std::vector<std::string> others = {"trace.list.bak", "trace.list.x1.new",
                                             "trace.list.new", "other.list.17.new"};
    for (const std::string& name : others) {
        WriteBytes(m_folder / name, "keep");
    }
    WriteBytes(m_folder / "trace.list.123.new", "TRACENAME=half");
    WriteBytes(m_folder / "trace.list.4294967295.new", "");
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("prod", "D:\\trace\\prod", "0", "101"));
    store.SaveTraceList();
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
    std::vector<fs::path> expected = {ListFile(), LockFile()};
    for (const std::string& name : others) {
        expected.push_back(m_folder / name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(), expected);
}

// A change is made to the list as the file holds it now, not as it was read before.
TEST_F(TraceListStoreTest, AChangeAppliesToTheListAsTheFileHoldsItNow) {
    CTraceListStore first(m_folder, m_notifier);
    CTraceListStore second(m_folder, m_notifier);
    first.LoadTraceList();
    second.LoadTraceList();
    second.ChangeTraceList([&second] {
        second.GetTraces().push_back(MakeTrace("b", "/b", "0", "1"));
        return true;
    });
    EXPECT_FALSE(first.ChangeTraceList([&first] { return !first.TraceExists("b"); }));
    EXPECT_EQ(first.GetTraces(), std::vector<CTraceSettings>{MakeTrace("b", "/b", "0", "1")});
    first.ChangeTraceList([&first] {
        first.GetTraces().push_back(MakeTrace("a", "/a", "0", "1"));
        return true;
    });
    second.LoadTraceList();
    EXPECT_EQ(second.GetTraces(), (std::vector<CTraceSettings>{MakeTrace("b", "/b", "0", "1"),
                                                               MakeTrace("a", "/a", "0", "1")}));

    // A list that cannot be read is never overwritten by a change.
    fs::remove(ListFile());
    fs::create_directory(ListFile());
    EXPECT_THROW(first.ChangeTraceList([] { return true; }), CTraceListFileError);
    EXPECT_TRUE(fs::is_directory(ListFile()));
}

// A full disk, simulated with a file size limit: the write fails part way and the old
// list stays whole.
TEST_F(TraceListStoreTest, FailedWriteKeepsTheOldListWhole) {
    WriteBytes(ListFile(), kProdLine);
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    for (int i = 0; i < 100; ++i) {
        store.GetTraces().push_back(MakeTrace("t" + std::to_string(i), "/t", "0", "1"));
    }
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(store.SaveTraceList(), CTraceListFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
    EXPECT_EQ(FolderEntries(), (std::vector<fs::path>{ListFile(), LockFile()}));
}

} // namespace
