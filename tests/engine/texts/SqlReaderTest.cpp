#include "CFakeFileSystem.h"
#include "CSqlReader.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Statements 0 to count - 1 of one file, each with one plan row: texts of the same length in
// every file, so that the blocks of two files stand at the same offsets.
std::string Blocks(char file, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(1000 + i);
        text += CursorBlock(i, 5, 3, std::string("select '") + file + "' from t" + n);
        text += "STAT #" + std::to_string(i) + " id=1 cnt=1 pid=0 pos=1 obj=0 op='TABLE ACCESS " +
                file + n + "'\n";
    }
    return text;
}

std::string Sql(char file, int i) {
    return std::string("select '") + file + "' from t" + std::to_string(1000 + i) + "\r\n";
}

class FileTexts : public testing::Test {
protected:
    FileTexts() : analyzer(TestCatalog(), fileSystem, shares, notifier) {}

    void Read(const std::vector<std::string>& paths) {
        analyzer.SetFiles(paths);
        analyzer.SetShowSys(1);
        analyzer.ReadFileList();
    }

    CFakeFileSystem fileSystem;
    CFakeShares shares;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer;
};

// One reader asked for the texts of two files in turn, whose blocks stand at the same offsets:
// each text comes from its own file, whether the reader's window or its open file holds the
// other file's bytes at that place.
TEST_F(FileTexts, TwoFilesReadInTurnGiveEachItsOwnTexts) {
    constexpr int kCount = 3000; // blocks of both files span several windows
    fileSystem.Put("/t/a_ora_1.trc", Blocks('a', kCount));
    fileSystem.Put("/t/b_ora_2.trc", Blocks('b', kCount));
    Read({"/t/a_ora_1.trc", "/t/b_ora_2.trc"});
    ASSERT_EQ(analyzer.GetCount(), 2 * kCount);
    CSqlReader reader(analyzer.Texts());
    std::string_view sql;
    std::string block;
    std::vector<std::string> operations;
    std::string error;
    for (int i = 0; i < kCount; ++i) {
        for (const int file : {0, 1}) {
            const char name = file == 0 ? 'a' : 'b';
            const CStatementRecord& record = analyzer.GetRecord(file * kCount + i);
            SCOPED_TRACE(std::string(1, name) + std::to_string(i));
            ASSERT_TRUE(record.SqlInFile());
            ASSERT_TRUE(reader.Read(record, sql, error)) << error;
            ASSERT_EQ(sql, Sql(name, i));
            if (i % 7 == 0) {
                ASSERT_TRUE(reader.Block(record, block, error)) << error;
                ASSERT_NE(block.find(Sql(name, i)), std::string::npos);
                ASSERT_TRUE(reader.PlanOperations(record, operations, error)) << error;
                ASSERT_EQ(operations, (std::vector<std::string>{std::string("TABLE ACCESS ") +
                                                                name + std::to_string(1000 + i)}));
            }
        }
    }
}

// A file rewritten in place with other bytes of the same size is no longer the file that was
// read: its texts are refused, through a reader that holds the file open and through one that
// opens it.
TEST_F(FileTexts, AFileRewrittenInPlaceToTheSameSizeIsRefused) {
    const std::string path = "/t/a_ora_1.trc";
    fileSystem.Put(path, Blocks('a', 40));
    Read({path});
    ASSERT_EQ(analyzer.GetCount(), 40);
    const CStatementRecord& record = analyzer.GetRecord(20);
    CSqlReader reader(analyzer.Texts());
    std::string_view sql;
    std::string block;
    std::string error;
    ASSERT_TRUE(reader.Read(record, sql, error)) << error;
    ASSERT_EQ(sql, Sql('a', 20));

    const CFileStatus before = fileSystem.At(path).status;
    fileSystem.Put(path, Blocks('b', 40)); // same size and identity, a later time
    ASSERT_EQ(fileSystem.At(path).status.size, before.size);
    ASSERT_EQ(fileSystem.At(path).status.identity, before.identity);
    const std::string expected =
        path + ": the file changed after it was read; open it again to see this text";
    // The reader's window holds record 20's bytes as they were read; record 0 lies before it.
    EXPECT_FALSE(reader.Read(analyzer.GetRecord(0), sql, error));
    EXPECT_EQ(error, expected);
    CSqlReader fresh(analyzer.Texts());
    EXPECT_FALSE(fresh.Read(record, sql, error));
    EXPECT_EQ(error, expected);
    EXPECT_FALSE(fresh.Block(record, block, error));
    EXPECT_EQ(error, expected);
    EXPECT_FALSE(analyzer.Texts().Block(record, block, error));
    EXPECT_EQ(error, expected);
    EXPECT_EQ(analyzer.Sql(record), expected);
}

} // namespace
