#include "CBzip2Decoder.h"

#include "DecodeStep.h"

#include <stdexcept>

namespace {

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
    const int result = DecodeStep(m_stream, input, inputSize, output, outputSize,
                                  [this] { return BZ2_bzDecompress(&m_stream); });
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
