#pragma once

#include <cstddef>
#include <string>

// Turns a compressed stream into its text, piece by piece.
class IStreamDecoder {
public:
    enum class EStatus { Continue, End, Error };

    virtual ~IStreamDecoder() = default;
    // Decodes from `input` (advanced past what was used) into `output` (advanced past what
    // was written). End when a stream is complete (the decoder is then ready for another
    // that may follow in the same file); Error with the library's message. An empty input
    // means the file has no more bytes.
    virtual EStatus Decode(const char*& input, std::size_t& inputSize, char*& output,
                           std::size_t& outputSize, std::string& error) = 0;
};
