#include "CXzDecoder.h"

#include "DecodeStep.h"

#include <cstdint>
#include <stdexcept>

namespace {

const char* Message(lzma_ret result) {
    switch (result) {
    case LZMA_MEM_ERROR:
        return "not enough memory";
    case LZMA_FORMAT_ERROR:
        return "file format not recognized";
    case LZMA_OPTIONS_ERROR:
        return "unsupported compression options";
    case LZMA_DATA_ERROR:
        return "compressed data is corrupt";
    case LZMA_BUF_ERROR:
        return "unexpected end of input";
    default:
        return "internal error";
    }
}

} // namespace

CXzDecoder::CXzDecoder() {
    if (lzma_stream_decoder(&m_stream, UINT64_MAX, LZMA_CONCATENATED) != LZMA_OK) {
        throw std::runtime_error("cannot start the xz decoder");
    }
}

CXzDecoder::~CXzDecoder() {
    lzma_end(&m_stream);
}

// An empty input asks the decoder to finish: a stream cut short is then an error.
IStreamDecoder::EStatus CXzDecoder::Decode(const char*& input, std::size_t& inputSize,
                                           char*& output, std::size_t& outputSize,
                                           std::string& error) {
    const lzma_action action = inputSize == 0 ? LZMA_FINISH : LZMA_RUN;
    const lzma_ret result = DecodeStep(m_stream, input, inputSize, output, outputSize,
                                       [this, action] { return lzma_code(&m_stream, action); });
    if (result == LZMA_STREAM_END) {
        return EStatus::End;
    }
    if (result == LZMA_OK) {
        return EStatus::Continue;
    }
    error = Message(result);
    return EStatus::Error;
}
