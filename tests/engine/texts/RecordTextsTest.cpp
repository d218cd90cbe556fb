#include "CFakeFileSystem.h"
#include "CSqlReader.h"
#include "CStatementTexts.h"
#include "CTraceAnalyzer.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A file-mode read of `path` in `fileSystem`, whose texts are then read back while the test
// changes the file, also between the check of its status and the read.
class CReadBack {
public:
    CReadBack(CFakeFileSystem& fileSystem, const std::string& path)
        : m_analyzer(TestCatalog(), fileSystem, m_shares, m_notifier) {
        m_analyzer.SetPath(path + "|");
        m_analyzer.SetShowSys(1);
        m_analyzer.ReadFileList();
    }
    const CTraceAnalyzer& Analyzer() const { return m_analyzer; }
    const CStatementRecord& First() const { return m_analyzer.GetRecord(0); }
    // The first record's SQL text, block and plan, each as read or as the reason it is not.
    std::vector<std::string> Texts() const {
        CSqlReader reader(m_analyzer.Texts());
        std::string_view sql;
        std::string error;
        std::vector<std::string> texts{reader.Read(First(), sql, error) ? std::string(sql) : error};
        std::string block;
        texts.push_back(m_analyzer.Texts().Block(First(), block, error) ? block : error);
        std::vector<std::string> operations;
        texts.push_back(m_analyzer.Texts().PlanOperations(First(), operations, error)
                            ? operations.at(0)
                            : error);
        std::string sections;
        texts.push_back(CStatementTexts::Sections(First(), reader, sections, error) ? sections
                                                                                    : error);
        return texts;
    }

private:
    CFakeShares m_shares;
    CRecordingNotifier m_notifier;
    CTraceAnalyzer m_analyzer;
};

} // namespace

// A file that only grew reads back as before; a file rewritten (in place, with the same size),
// cut, rewritten and grown, or replaced gives the message, never the other bytes: also when
// the change comes between the check of the file's status and the read. `show` fails then.
TEST(RecordTexts, ComeFromAGrownFileAndNeverFromAChangedOne) {
    const std::string path = "/t/a_ora_1.trc";
    const auto trace = [](const std::string& first, const std::string& second) {
        return CursorBlock(1, 5, 3, first) +
               "STAT #1 id=1 cnt=1 pid=0 pos=1 obj=0 op='FAST DUAL  (cr=0 pr=0 pw=0 time=1 us)'\n" +
               CursorBlock(2, 5, 3, second);
    };
    const std::string text = trace("select 'aa' from dual", "select 'bb' from dual");
    const std::string swapped = trace("select 'bb' from dual", "select 'aa' from dual");
    const std::string more = CursorBlock(3, 5, 3, "select 'cc' from dual");
    CFakeFileSystem fileSystem;
    fileSystem.Put(path, text);
    const CFileStatus read = fileSystem.At(path).status;
    CReadBack readBack(fileSystem, path);
    ASSERT_EQ(readBack.Analyzer().GetCount(), 2);
    const std::vector<std::string> expected = readBack.Texts();
    ASSERT_EQ(expected.at(0), "select 'aa' from dual\r\n");
    ASSERT_EQ(expected.at(2), "FAST DUAL  (cr=0 pr=0 pw=0 time=1 us)");
    const std::string changed =
        path + ": the file changed after it was read; open it again to see this text";

    struct CChange {
        const char* what;
        std::function<void()> change;
        bool same;
    };
    int raced = 0;
    const std::vector<CChange> changes = {
        {"grown", [&] { fileSystem.Put(path, text + more); }, true},
        {"rewritten in place", [&] { fileSystem.Put(path, swapped); }, false},
        {"cut", [&] { fileSystem.Put(path, text.substr(0, text.size() - 1)); }, false},
        {"rewritten and grown", [&] { fileSystem.Put(path, swapped + more); }, false},
        {"replaced",
         [&] {
             fileSystem.Remove(path);
             fileSystem.Put(path, text);
         },
         false},
        {"grown between check and read",
         [&] {
             fileSystem.afterStatus = [&] {
                 if (raced++ == 0) {
                     fileSystem.Put(path, text + more);
                 }
             };
         },
         true},
        {"rewritten between check and read",
         [&] {
             fileSystem.afterStatus = [&] {
                 if (raced++ == 0) {
                     fileSystem.Put(path, swapped);
                 }
             };
         },
         false},
    };
    for (const CChange& change : changes) {
        SCOPED_TRACE(change.what);
        fileSystem.afterStatus = nullptr;
        fileSystem.Remove(path);
        fileSystem.Put(path, text);
        fileSystem.At(path).status = read;
        ASSERT_EQ(readBack.Texts(), expected);
        change.change();
        raced = 0;
        EXPECT_EQ(readBack.Texts(), change.same ? expected : std::vector<std::string>(4, changed));
        fileSystem.afterStatus = nullptr;
        EXPECT_EQ(readBack.Analyzer().Texts().IsChanged(*readBack.First().File()), !change.same);
    }
}
