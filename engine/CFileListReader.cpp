#include "CFileListReader.h"

#include "CBindingResolver.h"
#include "CCursorTracker.h"
#include "IReadProgress.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"
#include "TraceText.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <thread>

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

std::size_t PiecesInFlight() {
    return 2 * std::max(1u, std::thread::hardware_concurrency());
}

// Bytes of one piece. Its memory is not cleared before a read fills it, and it is handed back
// after the analysis, so the next piece reuses it instead of touching fresh pages.
class CPieceBuffer {
public:
    char* Data() { return m_data.get(); }
    std::size_t Size() const { return m_nSize; }
    std::string_view Text() const { return {m_data.get(), m_nSize}; }
    // Makes room for `extra` more bytes and answers where they go.
    char* Grow(std::size_t extra) {
        if (m_nSize + extra > m_nCapacity) {
            const std::size_t capacity = std::max(m_nSize + extra, 2 * m_nCapacity);
            auto data = std::make_unique_for_overwrite<char[]>(capacity);
            std::copy_n(m_data.get(), m_nSize, data.get());
            m_data = std::move(data);
            m_nCapacity = capacity;
        }
        m_nSize += extra;
        return m_data.get() + m_nSize - extra;
    }
    void Resize(std::size_t size) { m_nSize = std::min(size, m_nSize); }
    void Assign(std::string_view bytes) {
        m_nSize = 0;
        std::copy(bytes.begin(), bytes.end(), Grow(bytes.size()));
    }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
};

struct CAnalyzedPiece {
    CCursorTracker tracker;
    CPieceBuffer buffer;
};

CAnalyzedPiece AnalyzePiece(const CHeaderReader& headers, CPieceBuffer buffer,
                            const std::string& pid) {
    CAnalyzedPiece piece{CCursorTracker(headers, pid), {}};
    piece.tracker.Feed(buffer.Text());
    piece.tracker.Finish();
    piece.buffer = std::move(buffer);
    return piece;
}

} // namespace

CFileListReader::CFileListReader(ITraceFileSystem& fileSystem, ITraceNotifier& notifier,
                                 const CHeaderReader& headers, IReadProgress* progress,
                                 std::int64_t totalBytes, std::int64_t pieceBytes,
                                 std::function<std::uint64_t()> nextSerial)
    : m_fileSystem(fileSystem), m_notifier(notifier), m_headers(headers), m_progress(progress),
      m_nTotalBytes(totalBytes), m_nPieceBytes(std::max<std::int64_t>(1, pieceBytes)),
      m_nextSerial(std::move(nextSerial)) {}

bool CFileListReader::Read(const std::string& path, CTraceFileState& state,
                           std::deque<CStatementRecord>& records, CTraceProfile& profile) {
    const std::string pid = CHeaderReader::PidFromPath(path);
    std::deque<std::future<CAnalyzedPiece>> pieces;
    std::vector<CPieceBuffer> spare;
    CBindingResolver resolver;
    const auto collectFront = [&] {
        CAnalyzedPiece piece = pieces.front().get();
        pieces.pop_front();
        resolver.Add(piece.tracker, records, m_nextSerial);
        spare.push_back(std::move(piece.buffer));
    };
    std::string carry;
    std::size_t scanned = 0; // bytes at the start of the piece already searched for a cut
    std::int64_t offset = state.readPosition;
    bool cancelled = false;
    bool atEnd = offset >= state.size;
    CPieceBuffer buffer;
    while (!atEnd && !cancelled) {
        const std::int64_t want = std::min(m_nPieceBytes, state.size - offset);
        const std::size_t oldSize = buffer.Size();
        if (!ReadPiece(path, state, offset, want, buffer.Grow(static_cast<std::size_t>(want)))) {
            break;
        }
        offset += want;
        const std::size_t zero = buffer.Text().find('\0', oldSize);
        atEnd = offset >= state.size || zero != std::string_view::npos;
        buffer.Resize(zero);
        std::size_t cut = buffer.Size();
        if (!atEnd) {
            cut = FindCut(buffer.Text(), scanned);
            if (cut == std::string_view::npos) {
                scanned = buffer.Size() - std::min<std::size_t>(buffer.Size(), 64);
                cancelled = !ReportProgress(want);
                continue;
            }
            carry.assign(buffer.Text().substr(cut));
            scanned = 0;
        }
        buffer.Resize(cut);
        state.readPosition = atEnd ? state.size : offset - static_cast<std::int64_t>(carry.size());
        pieces.push_back(std::async(std::launch::async, AnalyzePiece, std::cref(m_headers),
                                    std::move(buffer), std::cref(pid)));
        if (pieces.size() >= PiecesInFlight()) {
            collectFront();
        }
        buffer = spare.empty() ? CPieceBuffer() : std::move(spare.back());
        if (!spare.empty()) {
            spare.pop_back();
        }
        buffer.Assign(carry);
        carry.clear();
        cancelled = !ReportProgress(want);
    }
    while (!pieces.empty()) {
        collectFront();
    }
    state.unattributed = resolver.Unattributed();
    profile = std::move(resolver.Profile());
    return !cancelled;
}

// Reads `size` bytes at `offset` into `buffer`. A failed read leaves the file
// to be tried again after its next change, as a live read does.
bool CFileListReader::ReadPiece(const std::string& path, CTraceFileState& state,
                                std::int64_t offset, std::int64_t size, char* buffer) {
    std::string error;
    const auto result = m_fileSystem.ReadAt(path, offset, size, buffer, error);
    if (result == ITraceFileSystem::ReadResult::Done) {
        return true;
    }
    // The user asked for this file: any failure to read it whole is reported.
    m_notifier.Notify(error);
    m_notifier.Notify("wrong at reading trace file");
    state.size = state.readPosition;
    return false;
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
        if (lineStart > 0 && lineStart >= from &&
            IsSeparatorLine(text.substr(lineStart, lineEnd - lineStart))) {
            return lineStart;
        }
        end = lineStart;
    }
    return std::string_view::npos;
}
