#include "CFileListReader.h"

#include "CBindingResolver.h"
#include "CCursorTracker.h"
#include "CPiecePool.h"
#include "CReadBatch.h"
#include "CTraceSource.h"
#include "CWorkerThreads.h"
#include "IReadProgress.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"
#include "TraceText.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

// The threads that analyse pieces: one per core. Asked once, as the answer is read from the
// system each time, and the reader asks for every piece.
std::size_t AnalysingThreads() {
    static const std::size_t s_threads = std::max(1u, std::thread::hardware_concurrency());
    return s_threads;
}

// One piece per thread being analysed and one being read: reading a piece from the page cache
// takes a fraction of the time its analysis does, and every buffer more holds its bytes.
std::size_t PiecesInFlight() {
    return AnalysingThreads() + 1;
}

// Pieces analysed but not joined yet, waiting for an older piece: they hold only their
// records, which the file's records hold anyway once they are joined.
std::size_t PiecesWaiting() {
    return 4 * PiecesInFlight();
}

// Gives a piece's buffer back to the pool however its analysis ends.
class CBufferReturn {
public:
    CBufferReturn(CPiecePool& pool, CPieceBuffer& buffer) : m_pool(pool), m_buffer(buffer) {}
    CBufferReturn(const CBufferReturn&) = delete;
    CBufferReturn& operator=(const CBufferReturn&) = delete;
    ~CBufferReturn() { m_pool.Give(std::move(m_buffer)); }

private:
    CPiecePool& m_pool;
    CPieceBuffer& m_buffer;
};

// Whether the line before the one at `lineStart` is a "*** " line: a run of them is one
// header, which a piece holds whole.
bool FollowsHeaderLine(std::string_view text, std::size_t lineStart) {
    std::size_t end = lineStart;
    while (end > 0 && IsBreak(text[end - 1])) {
        --end;
    }
    std::size_t start = end;
    while (start > 0 && !IsBreak(text[start - 1])) {
        --start;
    }
    return end > start && text.substr(start, end - start).starts_with("*** ");
}

// Where the last line of `text` that follows a line break starts, so that a run of line
// breaks (CR LF) is never cut; npos when there is none.
std::size_t LastLineStart(std::string_view text) {
    for (std::size_t start = text.size(); start-- > 1;) {
        if (IsBreak(text[start - 1]) && !IsBreak(text[start])) {
            return start;
        }
    }
    return std::string_view::npos;
}

// Where the line after the first line break of `text` starts; npos when no line follows.
std::size_t NextLineStart(std::string_view text) {
    const auto first = std::find_if(text.begin(), text.end(), IsBreak);
    const auto next = std::find_if_not(first, text.end(), IsBreak);
    return next == text.end() ? std::string_view::npos
                              : static_cast<std::size_t>(next - text.begin());
}

// A number of bytes as the user reads it: whole mebibytes as such.
std::string BytesText(std::int64_t bytes) {
    constexpr std::int64_t kMebibyte = std::int64_t{1} << 20;
    return bytes % kMebibyte == 0 ? std::to_string(bytes / kMebibyte) + " MiB"
                                  : std::to_string(bytes) + " bytes";
}

// Ends the analysis of a piece. Most records are complete at the end of their piece: the room
// kept for more of their plan rows and waits goes back, while the piece's memory is still in
// this thread's cache.
CCursorTracker Finished(CCursorTracker tracker) {
    tracker.Finish();
    for (CStatementRecord& record : tracker.Records()) {
        record.Trim();
    }
    return tracker;
}

std::future<CCursorTracker> FinishedPiece(CCursorTracker tracker) {
    std::promise<CCursorTracker> done;
    done.set_value(Finished(std::move(tracker)));
    return done.get_future();
}

CCursorTracker AnalyzePiece(const CHeaderReader& headers, CPiecePool& pool, CPieceBuffer buffer,
                            const std::string& pid, std::shared_ptr<const CTraceFileSnapshot> file,
                            std::int64_t offset) {
    const CBufferReturn giveBack(pool, buffer);
    CCursorTracker tracker(headers, pid, std::move(file));
    tracker.Feed(buffer.Text(), static_cast<std::uint64_t>(offset));
    return Finished(std::move(tracker));
}

} // namespace

CFileListReader::CFileListReader(ITraceFileSystem& fileSystem, ITraceNotifier& notifier,
                                 const CHeaderReader& headers, IReadProgress* progress,
                                 std::int64_t totalBytes, std::int64_t pieceBytes,
                                 std::size_t batchRecords,
                                 std::function<std::uint64_t()> nextSerial)
    : m_fileSystem(fileSystem), m_notifier(notifier), m_headers(headers), m_progress(progress),
      m_nTotalBytes(totalBytes), m_nPieceBytes(std::max<std::int64_t>(1, pieceBytes)),
      m_nBatchRecords(std::max<std::size_t>(1, batchRecords)), m_nextSerial(std::move(nextSerial)) {
}

// The file as it is read, with the fingerprint of its bytes up to the size its status gave: the
// texts of a file that only grew since are read back from it.
std::shared_ptr<const CTraceFileSnapshot> CFileListReader::Snapshot(const std::string& path,
                                                                    const CTraceFileState& state,
                                                                    std::string& error) {
    auto file = std::make_shared<CTraceFileSnapshot>(CTraceFileSnapshot{
        path, CFileStatus{state.identity, state.modifiedNs, state.statusSize}, {}});
    const auto read = [&](std::int64_t offset, std::int64_t size, std::string& bytes,
                          std::string& readError) {
        bytes.resize(static_cast<std::size_t>(size));
        return m_fileSystem.ReadAt(path, offset, size, bytes.data(), readError) ==
               ITraceFileSystem::ReadResult::Done;
    };
    if (!file->fingerprint.TakeFrom(state.statusSize, read, error)) {
        return nullptr;
    }
    return file;
}

bool CFileListReader::Read(const std::string& path, CTraceFileState& state, CReadBatch& batch,
                           const BatchHandler& onBatch, CTraceProfile& profile) {
    std::string error;
    const std::unique_ptr<CTraceSource> source =
        CTraceSource::Open(m_fileSystem, path, state.readPosition, error);
    if (source == nullptr) {
        ReportFailure(error);
        state.size = state.readPosition;
        return true;
    }
    const std::string pid = CHeaderReader::PidFromPath(path);
    // Records of a plain file keep where their texts lie in it; a compressed file's are copied.
    std::shared_ptr<const CTraceFileSnapshot> file;
    if (source->IsPlain()) {
        file = Snapshot(path, state, error);
        if (file == nullptr) {
            ReportFailure(error);
            state.size = state.readPosition;
            return true;
        }
    }
    CPiecePool pool(PiecesInFlight());
    // Declared after the pool: its threads are joined before the pool their tasks give
    // buffers back to goes.
    CWorkerThreads workers(AnalysingThreads());
    std::deque<std::future<CCursorTracker>> pieces;
    CBindingResolver resolver(batch.appended);
    bool zeroFound = false; // a zero byte ended the text: later pieces are dropped
    const auto collectFront = [&] {
        CCursorTracker tracker = pieces.front().get();
        pieces.pop_front();
        if (zeroFound) {
            return;
        }
        resolver.Add(tracker, m_nextSerial);
        if (const std::optional<std::uint64_t> zero = tracker.ZeroAt()) {
            zeroFound = true;
            ReportFailure(path + ": a zero byte at offset " + std::to_string(*zero) +
                          " ends its text; the rest of the file is not read");
        }
        if (onBatch && batch.appended.Size() >= m_nBatchRecords) {
            HandOver(batch, resolver, onBatch);
        }
    };
    // Joins the pieces done, in file order, without waiting unless too many wait.
    const auto collectDone = [&] {
        while (!pieces.empty() &&
               (pieces.size() > PiecesWaiting() ||
                pieces.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
            collectFront();
        }
    };
    std::string carry;
    std::size_t scanned = 0;  // bytes at the start of the piece already searched for a cut
    std::size_t unzeroed = 0; // bytes at the start of the piece known to hold no zero byte
    std::int64_t textOffset = source->IsPlain() ? state.readPosition : 0; // the piece's start
    std::int64_t reported = 0; // file bytes reported as progress
    bool cancelled = false;
    bool atEnd = false;
    bool continued = false;             // the piece ends at a line, not before a separator
    bool skipping = false;              // the rest of a line too long to keep is dropped
    std::optional<CCursorTracker> open; // the analysis of pieces cut at a line, in order
    CPieceBuffer buffer = pool.Take();
    while (!atEnd && !cancelled && !zeroFound) {
        const std::size_t oldSize = buffer.Size();
        const auto want = static_cast<std::size_t>(m_nPieceBytes);
        char* const at = buffer.Grow(want);
        std::size_t got = 0;
        bool read = true;
        bool ended = false;
        while (read && !ended && got < want) {
            std::size_t more = 0;
            read = source->Read(at + got, want - got, more, error);
            ended = more == 0;
            got += more;
        }
        buffer.Resize(oldSize + got);
        if (!read) {
            ReportFailure(error);
        }
        if (skipping) {
            const std::size_t next = NextLineStart(buffer.Text());
            skipping = next == std::string_view::npos;
            const std::size_t dropped = skipping ? buffer.Size() : next;
            carry.assign(buffer.Text().substr(dropped));
            buffer.Assign(carry);
            carry.clear();
            textOffset += static_cast<std::int64_t>(dropped);
        }
        atEnd = !read || ended;
        const std::int64_t progress = source->FileBytesRead() - reported;
        reported += progress;
        std::size_t cut = buffer.Size();
        bool lineCut = false; // a line too long to keep ends the piece
        if (!atEnd) {
            cut = FindCut(buffer.Text(), scanned);
            // The analysis of a piece finds the zero byte that ends the text. A piece without
            // a cut grows, so it is searched for one here: zeros hold no separator, and a run
            // of them would make it grow without end.
            if (cut == std::string_view::npos) {
                const std::size_t zero = buffer.Text().find('\0', unzeroed);
                if (zero != std::string_view::npos) {
                    atEnd = true;
                    cut = zero + 1;
                } else if ((cut = LastLineStart(buffer.Text())) != std::string_view::npos) {
                    // No separator within the piece: it ends at its last line, and the next
                    // piece goes on with the same analysis.
                    continued = true;
                } else if (buffer.Size() > static_cast<std::size_t>(m_nLongestLine)) {
                    // One line longer than the bound: its first bytes stay, the rest of it is
                    // dropped as it is read.
                    ReportLongLine(path, textOffset);
                    cut = static_cast<std::size_t>(m_nLongestLine);
                    continued = true;
                    skipping = true;
                    lineCut = true;
                } else {
                    scanned = buffer.Size() - std::min<std::size_t>(buffer.Size(), 64);
                    unzeroed = buffer.Size();
                    cancelled = !ReportProgress(progress);
                    continue;
                }
            }
            carry.assign(buffer.Text().substr(cut));
            scanned = 0;
            unzeroed = 0;
        }
        buffer.Resize(cut);
        if (lineCut) {
            *buffer.Grow(1) = '\n'; // the kept bytes end their line
        }
        if (continued || open) {
            // Pieces cut at a line go through one analysis, on this thread, in file order.
            if (!open) {
                open.emplace(m_headers, pid, file);
            }
            open->Feed(buffer.Text(), static_cast<std::uint64_t>(textOffset));
            pool.Give(std::move(buffer));
            if (!continued) {
                pieces.push_back(FinishedPiece(std::move(*open)));
                open.reset();
            }
            continued = false;
        } else {
            // The last piece is analysed by this thread at once: a small file costs no
            // thread, and at the end of a big one this thread works instead of waiting.
            auto task = std::make_shared<std::packaged_task<CCursorTracker()>>(
                [this, &pool, &pid, file, textOffset, piece = std::move(buffer)]() mutable {
                    return AnalyzePiece(m_headers, pool, std::move(piece), pid, file, textOffset);
                });
            pieces.push_back(task->get_future());
            if (atEnd) {
                (*task)();
            } else {
                workers.Run([task] { (*task)(); });
            }
        }
        textOffset += static_cast<std::int64_t>(cut);
        collectDone();
        if (!atEnd) {
            buffer = pool.Take();
            buffer.Assign(carry);
            carry.clear();
        }
        cancelled = !ReportProgress(progress);
    }
    if (open) {
        pieces.push_back(FinishedPiece(std::move(*open)));
    }
    while (!pieces.empty()) {
        collectFront();
    }
    for (CRecordDelta& delta : resolver.TakeDeltas()) {
        batch.updated.push_back(std::move(delta));
    }
    state.readPosition = state.size;
    state.unattributed = resolver.Unattributed();
    profile = std::move(resolver.Profile());
    return !cancelled;
}

// Hands the records read so far over, with what later lines added to records handed over
// before, so a window lists them while the rest is read.
void CFileListReader::HandOver(CReadBatch& batch, CBindingResolver& resolver,
                               const BatchHandler& onBatch) {
    CReadBatch out;
    out.appended = std::exchange(batch.appended, CRecordChunks());
    out.updated = std::exchange(batch.updated, {});
    for (CRecordDelta& delta : resolver.TakeDeltas()) {
        out.updated.push_back(std::move(delta));
    }
    resolver.RecordsHandedOver();
    onBatch(std::move(out));
}

// Says that the line at `offset` of the file's text was cut, with its number, which only
// then is counted, by reading the text again from its start.
void CFileListReader::ReportLongLine(const std::string& path, std::int64_t offset) {
    std::string error;
    const std::unique_ptr<CTraceSource> source = CTraceSource::Open(m_fileSystem, path, 0, error);
    std::int64_t line = 1;
    std::int64_t done = 0;
    char previous = '\0';
    std::string bytes(std::size_t{1} << 20, '\0');
    while (source != nullptr && done < offset) {
        std::size_t got = 0;
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(offset - done, static_cast<std::int64_t>(bytes.size())));
        if (!source->Read(bytes.data(), want, got, error) || got == 0) {
            break;
        }
        for (const char c : std::string_view(bytes.data(), got)) {
            // A line ends at LF, or at CR not followed by LF.
            line += (c == '\n' || (previous == '\r' && c != '\n')) ? 1 : 0;
            previous = c;
        }
        done += static_cast<std::int64_t>(got);
    }
    line += previous == '\r' ? 1 : 0;
    const std::string where = done == offset ? "line " + std::to_string(line)
                                             : "the line at byte " + std::to_string(offset);
    m_notifier.Notify(path + ": " + where + " is longer than " + BytesText(m_nLongestLine) +
                      " and was cut");
}

// The user asked for this file: any failure to read it whole is reported.
void CFileListReader::ReportFailure(const std::string& error) {
    m_notifier.Notify(error);
    m_notifier.Notify("wrong at reading trace file");
}

bool CFileListReader::ReportProgress(std::int64_t bytes) {
    m_nDoneBytes += bytes;
    return m_progress == nullptr || m_progress->OnProgress(m_nDoneBytes, m_nTotalBytes);
}

std::size_t CFileListReader::FindCut(std::string_view text, std::size_t from) {
    std::size_t end = text.size();
    while (end > from && !IsBreak(text[end - 1])) {
        --end;
    }
    while (end > from) {
        std::size_t lineEnd = end;
        while (lineEnd > 0 && IsBreak(text[lineEnd - 1])) {
            --lineEnd;
        }
        std::size_t lineStart = lineEnd;
        while (lineStart > 0 && !IsBreak(text[lineStart - 1])) {
            --lineStart;
        }
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        if (lineStart > 0 && lineStart >= from && IsSeparatorLine(line) &&
            !(line.starts_with("*** ") && FollowsHeaderLine(text, lineStart))) {
            return lineStart;
        }
        end = lineStart;
    }
    return std::string_view::npos;
}
