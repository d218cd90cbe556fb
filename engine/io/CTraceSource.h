#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ITraceFileSystem;

// The text of one trace file, read from a position to its end in pieces: plain, or decoded
// from gzip, xz or bzip2 as the file's first bytes tell. Reading goes on to the end of the
// file, not to the size its status gave, so files that grow or report no size are read
// whole.
class CTraceSource {
public:
    virtual ~CTraceSource() = default;

    // Opens `path` for reading from byte `from` (0 for a compressed file); nothing, with
    // the reason in `error`, when the file cannot be read.
    static std::unique_ptr<CTraceSource> Open(ITraceFileSystem& fileSystem, const std::string& path,
                                              std::int64_t from, std::string& error);

    // Reads up to `capacity` bytes of text into `buffer`; `got` is 0 at the end of the
    // text. false, with the file's name and the reason in `error`, when reading failed.
    virtual bool Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& error) = 0;
    // Bytes of the file itself read so far (compressed bytes for a compressed file).
    virtual std::int64_t FileBytesRead() const = 0;
    // Whether the text is the file's bytes as they are, so a position in the text is one in
    // the file.
    virtual bool IsPlain() const = 0;
};
