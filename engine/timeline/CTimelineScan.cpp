#include "CTimelineScan.h"

#include "CHeaderReader.h"
#include "CRecordTexts.h"
#include "CTimelineBuilder.h"
#include "CTraceSource.h"
#include "ITraceFile.h"

#include <algorithm>

namespace {

constexpr std::size_t kChunkBytes = 4 << 20;

// Feeds `builder` the whole lines of `carry` + what `read` gives, chunk by chunk; a line
// cut by a chunk's end waits for the next chunk.
template <typename Read>
bool FeedChunks(CTimelineBuilder& builder, Read&& read, std::string& error) {
    std::string text;
    std::uint64_t textOffset = 0;
    std::size_t got = 0;
    do {
        const std::size_t kept = text.size();
        text.resize(kept + kChunkBytes);
        if (!read(text.data() + kept, kChunkBytes, got, error)) {
            return false;
        }
        text.resize(kept + got);
        const std::size_t lastBreak = text.find_last_of("\r\n");
        const std::size_t whole = got == 0                         ? text.size()
                                  : lastBreak == std::string::npos ? 0
                                                                   : lastBreak + 1;
        builder.Feed(std::string_view(text).substr(0, whole), textOffset);
        text.erase(0, whole);
        textOffset += whole;
    } while (got != 0);
    return true;
}

} // namespace

bool CTimelineScan::Scan(ITraceFileSystem& fileSystem, const CFile& file, std::int64_t minGap,
                         CTimeline& timeline, std::string& error) {
    CTimelineBuilder builder(file.path, CHeaderReader::PidFromPath(file.path), minGap);
    if (!Read(fileSystem, file, builder, error)) {
        return false;
    }
    timeline = builder.Finish();
    return true;
}

bool CTimelineScan::Cut(ITraceFileSystem& fileSystem, const CFile& file, const CTimeRange& range,
                        std::string& text, std::string& error) {
    CTimelineBuilder builder(file.path, CHeaderReader::PidFromPath(file.path), kDefaultMinGap);
    builder.CutTo(range);
    if (!Read(fileSystem, file, builder, error)) {
        return false;
    }
    text = std::move(builder.CutText());
    return true;
}

bool CTimelineScan::Read(ITraceFileSystem& fileSystem, const CFile& file, CTimelineBuilder& builder,
                         std::string& error) {
    if (file.snapshot.has_value()) {
        const CRecordTexts texts(fileSystem);
        const std::unique_ptr<ITraceFile> open = texts.Open(*file.snapshot, error);
        if (open == nullptr) {
            return false;
        }
        const std::uint64_t size = static_cast<std::uint64_t>(file.snapshot->status.size);
        std::uint64_t position = 0;
        std::string piece;
        const auto read = [&](char* buffer, std::size_t capacity, std::size_t& got,
                              std::string& problem) {
            got = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size - position));
            if (got != 0 &&
                !CRecordTexts::ReadRange(*open, *file.snapshot, position, got, piece, problem)) {
                return false;
            }
            std::copy_n(piece.data(), got, buffer);
            position += got;
            return true;
        };
        return FeedChunks(builder, read, error);
    }
    const std::unique_ptr<CTraceSource> source =
        CTraceSource::Open(fileSystem, file.path, 0, error);
    if (source == nullptr) {
        return false;
    }
    const auto read = [&](char* buffer, std::size_t capacity, std::size_t& got,
                          std::string& problem) {
        return source->Read(buffer, capacity, got, problem);
    };
    return FeedChunks(builder, read, error);
}
