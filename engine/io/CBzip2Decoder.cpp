#include "CBzip2Decoder.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

unsigned Chunk(std::size_t size) {
    return static_cast<unsigned>(std::min<std::size_t>(size, UINT_MAX));
}

const char* Message(int result) {
    switch (result) {
    case BZ_DATA_ERROR:
        return "compressed data is corrupt";
    case BZ_DATA_ERROR_MAGIC:
        return "not a bzip2 stream";
    case BZ_MEM_ERROR:
        return "not enough memory";
    default:
        return "internal error";
    }
}

} // namespace

CBzip2Decoder::CBzip2Decoder() {
    if (BZ2_bzDecompressInit(&m_stream, 0, 0) != BZ_OK) {
        throw std::runtime_error("cannot start the bzip2 decoder");
    }
}

CBzip2Decoder::~CBzip2Decoder() {
    BZ2_bzDecompressEnd(&m_stream);
}

IStreamDecoder::EStatus CBzip2Decoder::Decode(const char*& input, std::size_t& inputSize,
                                              char*& output, std::size_t& outputSize,
                                              std::string& error) {
    m_stream.next_in = const_cast<char*>(input);
    m_stream.avail_in = Chunk(inputSize);
    m_stream.next_out = output;
    m_stream.avail_out = Chunk(outputSize);
    const unsigned inBefore = m_stream.avail_in;
    const unsigned outBefore = m_stream.avail_out;
    const int result = BZ2_bzDecompress(&m_stream);
    input += inBefore - m_stream.avail_in;
    inputSize -= inBefore - m_stream.avail_in;
    output += outBefore - m_stream.avail_out;
    outputSize -= outBefore - m_stream.avail_out;
    if (result == BZ_STREAM_END) {
        // Another stream may follow, as pbzip2 and cat write them.
        BZ2_bzDecompressEnd(&m_stream);
        m_stream = bz_stream{};
        if (BZ2_bzDecompressInit(&m_stream, 0, 0) != BZ_OK) {
            error = "cannot start the bzip2 decoder";
            return EStatus::Error;
        }
        return EStatus::End;
    }
    if (result == BZ_OK) {
        return EStatus::Continue;
    }
    error = Message(result);
    return EStatus::Error;
}
