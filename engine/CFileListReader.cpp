#include "CFileListReader.h"

#include "CBlockAnalyzer.h"
#include "CBlockSplitter.h"
#include "IReadProgress.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"
#include "TraceText.h"

#include <algorithm>
#include <deque>
#include <future>
#include <thread>

namespace {

constexpr std::int64_t kPieceBytes = 8 << 20;

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

std::size_t PiecesInFlight() {
    return 2 * std::max(1u, std::thread::hardware_concurrency());
}

std::vector<CStatementRecord> AnalyzePiece(const CBlockAnalyzer& analyzer, std::string text,
                                           const std::string& pid) {
    std::vector<CStatementRecord> records;
    const CBlockSplitter::BlockHandler onBlock = [&](std::string&& block) {
        if (auto record = analyzer.AnalyzeBlock(std::move(block), pid)) {
            records.push_back(std::move(*record));
        }
    };
    CBlockSplitter splitter;
    splitter.Feed(text, onBlock);
    text = std::string();
    splitter.Finish(onBlock);
    return records;
}

} // namespace

CFileListReader::CFileListReader(ITraceFileSystem& fileSystem, ITraceNotifier& notifier,
                                 const CBlockAnalyzer& analyzer, IReadProgress* progress,
                                 std::int64_t totalBytes, std::function<std::uint64_t()> nextSerial)
    : m_fileSystem(fileSystem), m_notifier(notifier), m_analyzer(analyzer), m_progress(progress),
      m_nTotalBytes(totalBytes), m_nextSerial(std::move(nextSerial)) {}

bool CFileListReader::Read(const std::string& path, CTraceFileState& state,
                           std::deque<CStatementRecord>& records) {
    const std::string pid = CBlockAnalyzer::PidFromPath(path);
    std::deque<std::future<std::vector<CStatementRecord>>> pieces;
    const auto collectFront = [&] {
        for (CStatementRecord& record : pieces.front().get()) {
            record.m_nSerial = m_nextSerial();
            records.push_back(std::move(record));
        }
        pieces.pop_front();
    };
    std::string carry;
    std::size_t scanned = 0; // bytes of `carry` already searched for a cut
    std::int64_t offset = state.readPosition;
    bool cancelled = false;
    bool atEnd = offset >= state.size;
    while (!atEnd && !cancelled) {
        const std::int64_t want = std::min(kPieceBytes, state.size - offset);
        std::string buffer = std::move(carry);
        carry = std::string();
        const std::size_t oldSize = buffer.size();
        if (!ReadPiece(path, state, offset, want, buffer)) {
            break;
        }
        offset += want;
        const std::size_t zero = buffer.find('\0', oldSize);
        atEnd = offset >= state.size || zero != std::string::npos;
        if (zero != std::string::npos) {
            buffer.resize(zero);
        }
        if (!atEnd) {
            const std::size_t cut = FindCut(buffer, scanned);
            if (cut == std::string::npos) {
                scanned = buffer.size() - std::min<std::size_t>(buffer.size(), 64);
                carry = std::move(buffer);
                continue;
            }
            carry.assign(buffer, cut);
            buffer.resize(cut);
            scanned = 0;
        }
        state.readPosition = atEnd ? state.size : offset - static_cast<std::int64_t>(carry.size());
        pieces.push_back(std::async(std::launch::async, AnalyzePiece, std::cref(m_analyzer),
                                    std::move(buffer), std::cref(pid)));
        if (pieces.size() >= PiecesInFlight()) {
            collectFront();
        }
        cancelled = !ReportProgress(want);
    }
    while (!pieces.empty()) {
        collectFront();
    }
    return !cancelled;
}

// Reads `size` bytes at `offset` onto the end of `buffer`. A failed read leaves the file
// to be tried again after its next change, as a live read does.
bool CFileListReader::ReadPiece(const std::string& path, CTraceFileState& state,
                                std::int64_t offset, std::int64_t size, std::string& buffer) {
    const std::size_t oldSize = buffer.size();
    buffer.resize(oldSize + static_cast<std::size_t>(size));
    std::string error;
    const auto result = m_fileSystem.ReadAt(path, offset, size, buffer.data() + oldSize, error);
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
