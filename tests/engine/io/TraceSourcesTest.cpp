#include "CFakeFileSystem.h"
#include "CSqlReader.h"
#include "CStatementFileWriter.h"
#include "CTempFolder.h"
#include "CTraceGenerator.h"
#include "CWrittenTrace.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

namespace {

std::string Gzip(std::string_view text) {
    std::string out(compressBound(static_cast<uLong>(text.size())) + 64, '\0');
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Xz(std::string_view text) {
    std::string out(lzma_stream_buffer_bound(text.size()), '\0');
    std::size_t size = 0;
    EXPECT_EQ(lzma_easy_buffer_encode(
                  6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const std::uint8_t*>(text.data()),
                  text.size(), reinterpret_cast<std::uint8_t*>(out.data()), &size, out.size()),
              LZMA_OK);
    out.resize(size);
    return out;
}

std::string Bzip2(std::string_view text) {
    auto size = static_cast<unsigned>(text.size() + text.size() / 100 + 600);
    std::string out(size, '\0');
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(text.data()),
                                       static_cast<unsigned>(text.size()), 9, 0, 0),
              BZ_OK);
    out.resize(size);
    return out;
}

std::string GeneratedTrace() {
    CTraceGenerator generator(77, CTraceGenerator::LineEnd::Lf);
    std::string text;
    generator.AppendHeader(text);
    generator.AppendStatements(text, 3 << 20);
    return text;
}

struct CReadOutcome {
    std::vector<CStatementRecord> records;
    std::vector<std::string> messages;
};

CReadOutcome ReadFile(const std::string& path, std::int64_t pieceBytes = 0) {
    CPosixFileSystem fileSystem;
    CLocalNetworkShares shares;
    CRecordingNotifier notifier;
    CTraceAnalyzer analyzer(TestCatalog(), fileSystem, shares, notifier);
    analyzer.SetPath(path + "|");
    analyzer.SetShowSys(1);
    if (pieceBytes > 0) {
        analyzer.Reader().SetPieceBytes(pieceBytes);
    }
    analyzer.ReadFileList();
    return {RecordsOf(analyzer), notifier.messages};
}

// Compressed traces give the records of the same text read plain, whatever the format, in
// pieces of any size, with streams joined one after the other.
TEST(CompressedTrace, GivesTheRecordsOfThePlainText) {
    const std::string text = GeneratedTrace();
    CTempFolder folder;
    const std::string plain = folder.File("gen_ora_7.trc");
    CTempFolder::Write(plain, text);
    const std::vector<CStatementRecord> expected = ReadFile(plain).records;
    ASSERT_GT(expected.size(), 1000u);
    const std::size_t half = text.find("\n=====================\n", text.size() / 2) + 1;
    const std::pair<std::string, std::string> files[] = {
        {"gen_ora_7.trc.gz", Gzip(text)},
        {"gen_ora_7.trc.xz", Xz(text)},
        {"gen_ora_7.trc.bz2", Bzip2(text)},
        {"joined_ora_7.trc.gz", Gzip(text.substr(0, half)) + Gzip(text.substr(half))},
        {"joined_ora_7.trc.bz2", Bzip2(text.substr(0, half)) + Bzip2(text.substr(half))}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        CTempFolder::Write(folder.File(name), bytes);
        for (const std::int64_t pieceBytes : {0, 100000}) {
            const CReadOutcome outcome = ReadFile(folder.File(name), pieceBytes);
            EXPECT_TRUE(outcome.messages.empty());
            ExpectSameRecords(outcome.records, expected);
        }
    }
}

// A damaged file says which file and what the library found, and keeps the statements read
// before the damage.
TEST(CompressedTrace, DamageIsReportedAndEarlierRecordsKept) {
    const std::string text = GeneratedTrace();
    CTempFolder folder;
    CTempFolder::Write(folder.File("gen_ora_7.trc"), text);
    const std::vector<CStatementRecord> plain = ReadFile(folder.File("gen_ora_7.trc")).records;
    const std::string gzip = Gzip(text);
    std::string xz = Xz(text);
    for (std::size_t i = xz.size() / 2; i < xz.size() / 2 + 64; ++i) {
        xz[i] = static_cast<char>(xz[i] ^ 0x5a);
    }
    const std::pair<std::string, std::string> damaged[] = {
        {folder.File("cut_ora_7.trc.gz"), gzip.substr(0, gzip.size() * 6 / 10)},
        {folder.File("bad_ora_7.trc.xz"), xz}};
    const std::string reasons[] = {"unexpected end of the compressed file",
                                   "compressed data is corrupt"};
    for (std::size_t d = 0; d < std::size(damaged); ++d) {
        SCOPED_TRACE(damaged[d].first);
        CTempFolder::Write(damaged[d].first, damaged[d].second);
        const CReadOutcome outcome = ReadFile(damaged[d].first, 100000);
        ASSERT_EQ(outcome.messages.size(), 2u);
        EXPECT_EQ(outcome.messages[0], damaged[d].first + ": " + reasons[d]);
        EXPECT_EQ(outcome.messages[1], "wrong at reading trace file");
        ASSERT_GT(outcome.records.size(), 100u);
        ASSERT_LT(outcome.records.size(), plain.size());
        // The last statement read may lack lines the damage took.
        for (std::size_t i = 0; i + 1 < outcome.records.size(); ++i) {
            EXPECT_EQ(SqlOf(outcome.records[i]), SqlOf(plain[i]));
        }
    }
}

// A file of two streams whose second stream is cut short, wherever the cut falls (in the
// stream's header, its data or its end), is damaged: the read fails and says so, as for a
// first stream cut short, and keeps the statements of the first stream.
TEST(CompressedTrace, ALaterStreamCutShortIsDamage) {
    const std::string text = GeneratedTrace();
    const std::size_t half = text.find("\n=====================\n", text.size() / 2) + 1;
    const std::vector<CStatementRecord> firstHalf = [&] {
        CTempFolder folder;
        CTempFolder::Write(folder.File("half_ora_7.trc"), text.substr(0, half));
        return ReadFile(folder.File("half_ora_7.trc")).records;
    }();
    using FCompress = std::string (*)(std::string_view);
    const std::pair<std::string, FCompress> formats[] = {
        {".gz", Gzip}, {".xz", Xz}, {".bz2", Bzip2}};
    CTempFolder folder;
    for (const auto& [extension, compress] : formats) {
        const std::string first = compress(text.substr(0, half));
        const std::string second = compress(text.substr(half));
        for (const std::size_t kept : {std::size_t{1}, std::size_t{12}, second.size() / 2,
                                       second.size() - 4, second.size() - 1}) {
            const std::string path = folder.File("cut_ora_7.trc" + extension);
            SCOPED_TRACE(path + " " + std::to_string(kept) + " of " +
                         std::to_string(second.size()));
            CTempFolder::Write(path, first + second.substr(0, kept));
            for (const std::int64_t pieceBytes : {0, 100000}) {
                const CReadOutcome outcome = ReadFile(path, pieceBytes);
                ASSERT_EQ(outcome.messages.size(), 2u);
                EXPECT_TRUE(outcome.messages[0].starts_with(path + ": ")) << outcome.messages[0];
                EXPECT_EQ(outcome.messages[1], "wrong at reading trace file");
                ASSERT_GE(outcome.records.size(), firstHalf.size() - 1);
            }
        }
    }
}

// Records of a plain file keep their blocks and plans in it; records of the same text read
// from a compressed file copy them. Both say the same for every real trace.
TEST(RecordTexts, KeptInTheFileEqualCopied) {
    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    CTempFolder folder;
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        const std::string copy = folder.File("copy_ora_1.trc.gz");
        CTempFolder::Write(copy, Gzip(CTempFolder::Read(path)));
        std::vector<CStatementRecord> copied = ReadFile(copy).records;
        const std::vector<CStatementRecord> kept = FileModeRecords({path}, true);
        ASSERT_EQ(copied.size(), kept.size());
        for (std::size_t i = 0; i < copied.size(); ++i) {
            copied[i].SetContext(CRecordContext::Make(std::string(kept[i].Pid()), nullptr,
                                                      copied[i].Tags())); // another file name
        }
        ExpectSameRecords(copied, kept);
    }
}

// A trace that changed after it was read (here: cut) gives a message instead of its blocks and
// plans, never another file's bytes, and a save of the blocks fails with it, writing nothing;
// one that only grew is read back as before.
TEST(RecordTexts, OfAFileChangedSinceItWasReadAreRefused) {
    CWrittenTrace written("gone_ora_3.trc", GeneratedTrace().substr(0, 200000));
    CTraceAnalyzer& analyzer = written.Analyzer();
    const std::string& path = written.Path();
    std::int64_t planned = 0;
    while (planned < analyzer.GetCount() && analyzer.GetRecord(planned).PlanRowCount() == 0) {
        ++planned;
    }
    ASSERT_LT(planned, analyzer.GetCount());
    const CStatementRecord& record = analyzer.GetRecord(planned);
    std::string text;
    std::string error;
    ASSERT_TRUE(analyzer.Texts().Block(record, text, error));
    EXPECT_TRUE(text.starts_with("PARSING IN CURSOR"));
    ASSERT_TRUE(record.SqlInFile());
    EXPECT_TRUE(text.substr(text.find("\r\n") + 2).starts_with(analyzer.Sql(record)));
    CSqlReader reader(analyzer.Texts()); // keeps the file open from its first read on
    ASSERT_TRUE(reader.Block(record, text, error));
    const CStatementRecord& last = analyzer.GetRecord(analyzer.GetCount() - 1);
    ASSERT_NE(&last, &record);

    const std::string block = text;
    const std::string bytes = CTempFolder::Read(path);
    CTempFolder::Append(path, "WAIT #1: nam='later' ela= 1\n");
    ASSERT_TRUE(CSqlReader(analyzer.Texts()).Block(last, text, error))
        << "a file that only grew is read back";
    ASSERT_TRUE(analyzer.Texts().Block(record, text, error));
    EXPECT_EQ(text, block);
    CTempFolder::Write(path, bytes.substr(0, bytes.size() - 2)); // cut
    const std::string expected =
        path + ": the file changed after it was read; open it again to see this text";
    EXPECT_FALSE(analyzer.Texts().Block(record, text, error));
    EXPECT_EQ(error, expected);
    EXPECT_EQ(analyzer.RowSource(record), expected + "\r\n");
    EXPECT_EQ(analyzer.Sql(record), expected);
    EXPECT_FALSE(reader.Block(last, text, error));
    EXPECT_EQ(error, expected);
    const std::string saved = written.Folder().File("saved.trc");
    CTempFolder::Write(saved, "before");
    for (const auto content :
         {CStatementFileWriter::Content::Node, CStatementFileWriter::Content::Sql}) {
        error.clear();
        EXPECT_FALSE(CStatementFileWriter::Write(saved, analyzer.ListedRecords(0), analyzer.Texts(),
                                                 content, error));
        EXPECT_EQ(error, expected);
        EXPECT_EQ(CTempFolder::Read(saved), "before");
    }
}

// A save tells its progress every kProgressStep records, counted from the first record it
// writes, and a progress that answers false stops it: the file it would replace stays as it
// was and no new file is left beside it.
TEST(StatementFile, ProgressCountsTheRecordsAndMayStopTheWriting) {
    CWrittenTrace written("gen_ora_1.trc", GeneratedTrace());
    const CTraceAnalyzer& analyzer = written.Analyzer();
    constexpr std::int64_t kAfter = 10;
    const std::int64_t total = analyzer.GetCount() - kAfter - 1;
    ASSERT_GT(total, CStatementFileWriter::kProgressStep);
    const std::string saved = written.Folder().File("saved.sql");
    const auto write = [&](std::int64_t stopAt, std::vector<std::int64_t>& told) {
        std::string error;
        const bool done = CStatementFileWriter::Write(
            saved, analyzer.ListedRecords(kAfter + 1), analyzer.Texts(),
            CStatementFileWriter::Content::Sql, error, [&](std::int64_t count, std::int64_t of) {
                EXPECT_EQ(of, total);
                told.push_back(count);
                return count < stopAt;
            });
        EXPECT_EQ(error, done ? "" : "stopped before the end");
        return done;
    };
    std::vector<std::int64_t> told;
    ASSERT_TRUE(write(total + 1, told));
    std::vector<std::int64_t> expected;
    for (std::int64_t count = 0; count < total; count += CStatementFileWriter::kProgressStep) {
        expected.push_back(count);
    }
    EXPECT_EQ(told, expected);
    const std::string whole = CTempFolder::Read(saved);

    told.clear();
    EXPECT_FALSE(write(CStatementFileWriter::kProgressStep, told));
    EXPECT_EQ(told.back(), CStatementFileWriter::kProgressStep);
    EXPECT_EQ(CTempFolder::Read(saved), whole);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(written.Folder().Path()),
                            std::filesystem::directory_iterator()),
              2); // the trace and the save
}

} // namespace
