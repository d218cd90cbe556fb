#pragma once

#include "CFileListReader.h"
#include "CHeaderReader.h"
#include "CReadBatch.h"
#include "CTraceFileState.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CCommandTypeCatalog;
class INetworkShares;
class IReadProgress;
class ITraceFileSystem;
class ITraceNotifier;

// The reading side of an analyser: knows the trace files and how far each was read, and
// turns new bytes into records and into what they add to records read before. One thread
// at a time uses a reader; it never touches the records its batches went into, so a live
// window's worker can read while the window shows the records.
class CTraceReader {
public:
    CTraceReader(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                 INetworkShares& shares, ITraceNotifier& notifier);

    void SetPath(std::string path) { m_strPath = std::move(path); }
    void SetShowSys(std::int64_t showSys) { m_bShowSys = showSys; }
    void SetTypeFlags(std::string flags) { m_strTypeFlags = std::move(flags); }
    const std::string& GetPath() const { return m_strPath; }
    // The bytes read and analysed at a time, in file mode and live mode; tests make pieces
    // small to cross many piece borders.
    void SetPieceBytes(std::int64_t bytes) { m_nPieceBytes = bytes; }
    // The longest line file mode keeps whole (CFileListReader::kLongestLine); tests make it
    // small.
    void SetLongestLine(std::int64_t bytes) { m_nLongestLine = bytes; }
    // The records file mode hands over at a time when it hands them over while reading.
    void SetBatchRecords(std::size_t records) { m_nBatchRecords = records; }

    // File mode: reads every file named in the path ("|"-separated), each once and whole (a
    // file named several ways too), in byte-wise order of the paths, analysing pieces on all
    // cores. With `onBatch`, records are handed over in batches while the files are read, the
    // last of them returned; later lines of a record handed over come as deltas.
    CReadBatch ReadFileList(IReadProgress* progress = nullptr,
                            const std::function<void(CReadBatch&&)>& onBatch = {});
    // Live mode: connects the folder's share, scans the folder for "*.trc" files and
    // analyses what was appended to them since the last read. A folder that cannot be listed
    // is reported in the batch once, and once more when it can be listed again (or, missing
    // at the first read, when it appears); meanwhile reads find no new bytes. A file under
    // several names (hard links) is read once, under the first of them in path order that
    // was seen; a name replaced by a link to a followed file adds nothing.
    CReadBatch ReadFolder();
    // Forgets how far each file was read: the next file-mode read reads every file from its
    // start, as the first did.
    void ForgetFiles();
    // Connects the network share of the path when it names one; true on success.
    bool ConnectTraceShare();
    // Tells the user about the exception that ended a read: called in a catch block by a
    // worker that goes on after it.
    void ReportFailedRead() noexcept;

private:
    using CFileStates = std::map<std::string, CTraceFileState>;

    void NoteFolderState(bool listed, const std::string& error, CReadBatch& batch);
    void UpdateFileState(const std::string& path, bool oneNamePerFile);
    bool IsFollowedUnderAnotherName(const std::string& path, const CFileIdentity& identity) const;
    CFileStates::iterator AddFileState(const std::string& path, const CFileStatus& status);
    CFileStates::node_type TakeRenamedState(const CFileIdentity& identity);
    void ReadNewData(CReadBatch& batch);
    void ReadChangedFile(const std::string& path, CTraceFileState& state, CReadBatch& batch);
    bool ReadNewBytes(const std::string& path, CTraceFileState& state, std::string& error);
    bool TakeFingerprint(const std::string& path, CTraceFileState& state, std::string& error);
    bool CheckHead(const std::string& path, CTraceFileState& state, std::string& error);
    bool ReadBytes(const std::string& path, std::int64_t offset, std::int64_t size,
                   std::string& bytes, std::string& error);
    bool AnalyzeWholeLines(std::string_view bytes, std::int64_t start, std::size_t fresh,
                           const std::string& path, CTraceFileState& state);
    void AnalyzeNewText(std::string_view text, const std::string& path, CTraceFileState& state);
    void HandOver(const std::string& path, CTraceFileState& state, CReadBatch& batch);
    CHeaderReader Headers() const;
    static void Restart(CTraceFileState& state);
    std::uint64_t NextSerial() { return m_nNextSerial++; }

    const CCommandTypeCatalog& m_catalog;
    ITraceFileSystem& m_fileSystem;
    INetworkShares& m_shares;
    ITraceNotifier& m_notifier;

    int m_bFirstRead = 1;
    bool m_bFolderListed = true; // at the last read; a missing folder reports at the first
    std::string m_strTypeFlags;
    std::string m_strPath;
    CFileStates m_fileStates;
    // Live mode: entries of files found replaced under their name in this folder scan, for a
    // file listed later in the scan under its new name.
    std::vector<CFileStates::node_type> m_departed;
    std::uint64_t m_nScan = 1; // live mode: the folder scan under way
    std::int64_t m_bShowSys = 0;
    std::uint64_t m_nNextSerial = 1;
    // Small enough that the pieces in flight hold little, big enough that joining them costs
    // nothing measurable.
    std::int64_t m_nPieceBytes = 4 << 20;
    std::int64_t m_nLongestLine = CFileListReader::kLongestLine;
    std::size_t m_nBatchRecords = 20000;
};
