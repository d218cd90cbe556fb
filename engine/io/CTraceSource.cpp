#include "CTraceSource.h"

#include "CBzip2Decoder.h"
#include "CDecodingTraceSource.h"
#include "CGzipDecoder.h"
#include "CPlainTraceSource.h"
#include "CXzDecoder.h"
#include "ITraceFileSystem.h"

#include <string_view>

namespace {

// The first bytes are read at once: they tell the format, and a small file is read whole.
constexpr std::int64_t kHeadBytes = 64 << 10;

// The decoder a file's first bytes ask for, or nothing for plain text.
std::unique_ptr<IStreamDecoder> DecoderFor(std::string_view head) {
    if (head.starts_with("\x1f\x8b\x08")) {
        return std::make_unique<CGzipDecoder>();
    }
    if (head.starts_with(std::string_view("\xfd"
                                          "7zXZ\0",
                                          6))) {
        return std::make_unique<CXzDecoder>();
    }
    if (head.size() >= 10 && head.starts_with("BZh") && head[3] >= '1' && head[3] <= '9' &&
        head.substr(4, 6) == "\x31\x41\x59\x26\x53\x59") {
        return std::make_unique<CBzip2Decoder>();
    }
    return nullptr;
}

} // namespace

std::unique_ptr<CTraceSource> CTraceSource::Open(ITraceFileSystem& fileSystem,
                                                 const std::string& path, std::int64_t from,
                                                 std::string& error) {
    const auto bytes = std::make_unique_for_overwrite<char[]>(kHeadBytes);
    std::int64_t got = 0;
    if (fileSystem.ReadSome(path, from, kHeadBytes, bytes.get(), got, error) !=
        ITraceFileSystem::ReadResult::Done) {
        return nullptr;
    }
    const bool ended = got < kHeadBytes;
    std::string head(bytes.get(), static_cast<std::size_t>(got));
    std::unique_ptr<IStreamDecoder> decoder = from == 0 ? DecoderFor(head) : nullptr;
    if (decoder == nullptr) {
        return std::make_unique<CPlainTraceSource>(fileSystem, path, from, std::move(head), ended);
    }
    return std::make_unique<CDecodingTraceSource>(fileSystem, path, std::move(decoder),
                                                  std::move(head), ended);
}
