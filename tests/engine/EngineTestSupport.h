#pragma once

#include "CCommandTypeCatalog.h"
#include "CLocalNetworkShares.h"
#include "CPosixFileSystem.h"
#include "CReferenceAnalyzer.h"
#include "CStderrNotifier.h"
#include "CTraceAnalyzer.h"
#include "RealTraces.h"

#include <random>
#include <string>
#include <vector>

const CCommandTypeCatalog& TestCatalog();

// Real trace files written by Oracle servers, or none when the folder is absent.
std::vector<std::string> RealTraces();

// The records a file-mode analyser makes of these files, read in pieces of about
// `pieceBytes` (0: the analyser's own size).
std::vector<CStatementRecord> FileModeRecords(const std::vector<std::string>& paths, bool showSys,
                                              const std::string& flags = "",
                                              std::int64_t pieceBytes = 0);

// Fails the test on the first field in which the records differ.
void ExpectSameRecords(const std::vector<CStatementRecord>& actual,
                       const std::vector<CReferenceRecord>& expected);
// Serials, in the records and in their call trees, count as the records' positions.
void ExpectSameRecords(std::vector<CStatementRecord> actual,
                       std::vector<CStatementRecord> expected);

// The analyser's records, each with its texts copied (WithTextsCopied).
std::vector<CStatementRecord> RecordsOf(const CTraceAnalyzer& analyzer);
CStatementRecord WithTextsCopied(const CTraceAnalyzer& analyzer, const CStatementRecord& record);
// Texts read back from files through the real file system.
const CRecordTexts& PosixTexts();
// The SQL text of a record, read back from its file when it stays there.
std::string SqlOf(const CStatementRecord& record);
// The plan text of a record whose texts are copied.
std::string RowSourceOf(const CStatementRecord& copied);

// Everything an analyser answers about its records and where the time went.
struct CTimeViews {
    std::vector<CStatementRecord> records;
    CProfileReport profile;
    CProfileReport withoutIdle;
    std::vector<CProfileReport> cuts; // by each session tag
    std::vector<CSqlGroupRow> groups; // in the table's order
    std::vector<CCallTreeRow> tree;
};

CTimeViews TimeViewsOf(const CTraceAnalyzer& analyzer);
// The views of a file-mode analyser, as FileModeRecords reads the files.
CTimeViews FileModeViews(const std::vector<std::string>& paths, bool showSys,
                         std::int64_t pieceBytes = 0);
// Fails the test on the first difference. Records are matched by position, and the serials
// the groups and the call tree name are compared as the positions of their records.
void ExpectSameViews(const CTimeViews& actual, const CTimeViews& expected);

// A trace file to write: its name in the folder and its bytes.
struct CTraceFileBytes {
    std::string name;
    std::string bytes;
};

// Writes the files into a followed folder, each cut into `pieces` random parts appended in
// turn, reading after every part, about `readBytes` at a time (0: the reader's own size);
// answers the records the live analyser holds at the end. Checks that rows are only
// appended at the end and that updated rows exist.
std::vector<CStatementRecord> FollowWhileWriting(const std::vector<CTraceFileBytes>& files,
                                                 int pieces, std::mt19937& random, bool showSys,
                                                 std::int64_t readBytes = 0);
CTimeViews FollowViewsWhileWriting(const std::vector<CTraceFileBytes>& files, int pieces,
                                   std::mt19937& random, bool showSys, std::int64_t readBytes = 0);

// The same files written whole into a folder and read in file mode.
std::vector<CStatementRecord> FileModeRecordsOf(const std::vector<CTraceFileBytes>& files,
                                                bool showSys, std::int64_t pieceBytes = 0);
CTimeViews FileModeViewsOf(const std::vector<CTraceFileBytes>& files, bool showSys,
                           std::int64_t pieceBytes = 0);

// A small cursor block with the given user, command type and SQL, with one call of each kind.
std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql);
