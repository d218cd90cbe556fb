#pragma once

#include "CRecordChunks.h"
#include "CStatementRecord.h"
#include "CTraceFileSnapshot.h"
#include "CTraceFileState.h"
#include "CTraceProfile.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CBindingResolver;
class CHeaderReader;
struct CReadBatch;
class IReadProgress;
class ITraceFileSystem;
class ITraceNotifier;

// Reads whole trace files for file mode. A file is read in pieces cut just before separator
// lines, so every piece holds whole blocks; the pieces are analysed on all cores and joined
// in file order (the cursor bindings across piece borders are resolved then), which gives
// exactly the records of the file read as one text. Where no separator comes within the
// piece size, the piece ends at its last line and the pieces that follow until a separator
// go through the same analysis, one after the other on the reading thread.
// Only a few pieces are held at a time, so memory stays near the size of the records.
class CFileListReader {
public:
    using BatchHandler = std::function<void(CReadBatch&& batch)>;

    CFileListReader(ITraceFileSystem& fileSystem, ITraceNotifier& notifier,
                    const CHeaderReader& headers, IReadProgress* progress, std::int64_t totalBytes,
                    std::int64_t pieceBytes, std::size_t batchRecords,
                    std::function<std::uint64_t()> nextSerial);

    // Reads the unread bytes of one file, appends its records to `batch` and sets `profile`
    // to their profile. With `onBatch`, the batch is handed over whenever it holds
    // `batchRecords` records, and what later lines add to them goes into later batches as
    // deltas. false when the progress callback cancelled the read.
    bool Read(const std::string& path, CTraceFileState& state, CReadBatch& batch,
              const BatchHandler& onBatch, CTraceProfile& profile);

    // Lines longer than this are kept as their first this many bytes, and reported.
    static constexpr std::int64_t kLongestLine = std::int64_t{64} << 20;
    void SetLongestLine(std::int64_t bytes) { m_nLongestLine = std::max<std::int64_t>(1, bytes); }

    // The start of the last complete separator line of `text` at or after `from` that is
    // preceded by a line break; npos when there is none.
    static std::size_t FindCut(std::string_view text, std::size_t from);

private:
    std::shared_ptr<const CTraceFileSnapshot>
    Snapshot(const std::string& path, const CTraceFileState& state, std::string& error);
    void ReportFailure(const std::string& error);
    void ReportLongLine(const std::string& path, std::int64_t offset);
    static void HandOver(CReadBatch& batch, CBindingResolver& resolver,
                         const BatchHandler& onBatch);
    bool ReportProgress(std::int64_t bytes);

    ITraceFileSystem& m_fileSystem;
    ITraceNotifier& m_notifier;
    const CHeaderReader& m_headers;
    IReadProgress* m_progress;
    std::int64_t m_nTotalBytes;
    std::int64_t m_nDoneBytes = 0;
    std::int64_t m_nPieceBytes; // at least this much of a file is read at a time
    std::size_t m_nBatchRecords;
    std::int64_t m_nLongestLine = kLongestLine;
    std::function<std::uint64_t()> m_nextSerial;
};
