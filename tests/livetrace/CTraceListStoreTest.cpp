#include "CTraceListStore.h"
#include "CTraceListFileError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/resource.h>
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
    std::vector<fs::path> FolderEntries() const {
        return {fs::directory_iterator(m_folder), fs::directory_iterator()};
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
        LineCase{"key found inside another value, first occurrence wins",
                 "TRACENAME=n\tTRACEPATH=/d/SYS=old\tSYS=1\tOCTCHECK=1\t", true, "n", "/d/SYS=old",
                 "old", "1"},
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

TEST_F(TraceListStoreTest, MissingFileIsReportedOnceAndTheFirstSaveCreatesIt) {
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    EXPECT_TRUE(store.GetTraces().empty());
    EXPECT_EQ(m_notifier.m_messages,
              std::vector<std::string>{"init file is not valid,It will be recreated"});
    EXPECT_FALSE(fs::exists(ListFile()));

    store.GetTraces().push_back(MakeTrace("prod", "D:\\trace\\prod", "0", "101"));
    store.SaveTraceList();
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{ListFile()});
}

TEST_F(TraceListStoreTest, EmptyFileIsAnEmptyListWithoutMessage) {
    WriteBytes(ListFile(), "");
    CTraceListStore store(m_folder, m_notifier);
    store.GetTraces().push_back(MakeTrace("stale", "/s", "0", ""));
    store.LoadTraceList();
    EXPECT_TRUE(store.GetTraces().empty());
    EXPECT_TRUE(m_notifier.m_messages.empty());
}

TEST_F(TraceListStoreTest, UnreadableListIsReported) {
    fs::create_directory(ListFile());
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    EXPECT_TRUE(store.GetTraces().empty());
    EXPECT_EQ(m_notifier.m_messages.size(), 1U);
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
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{ListFile()});
    EXPECT_EQ(ReadBytes(ListFile() / "keep"), "x");
}

TEST_F(TraceListStoreTest, UnwritableFolderIsReportedAndKeepsTheOldList) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser may write into any folder";
    }
    WriteBytes(ListFile(), kProdLine);
    fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
    CTraceListStore store(m_folder, m_notifier);
    store.LoadTraceList();
    store.GetTraces().push_back(MakeTrace("new", "/n", "0", "1"));
    try {
        store.SaveTraceList();
        ADD_FAILURE() << "the save did not fail";
    } catch (const CTraceListFileError& error) {
        EXPECT_NE(std::string(error.what()).find("Permission denied"), std::string::npos);
    }
    fs::permissions(m_folder, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(ListFile()), kProdLine);
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
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{ListFile()});
}

} // namespace
