#include "CGzipDecoder.h"

#include "DecodeStep.h"

#include <stdexcept>

namespace {

constexpr int kGzipWindow = 15 + 16; // a gzip header, the largest window

} // namespace

CGzipDecoder::CGzipDecoder() {
    if (inflateInit2(&m_stream, kGzipWindow) != Z_OK) {
        throw std::runtime_error("cannot start the gzip decoder");
    }
}

CGzipDecoder::~CGzipDecoder() {
    inflateEnd(&m_stream);
}

IStreamDecoder::EStatus CGzipDecoder::Decode(const char*& input, std::size_t& inputSize,
                                             char*& output, std::size_t& outputSize,
                                             std::string& error) {
    const int result = DecodeStep(m_stream, input, inputSize, output, outputSize,
                                  [this] { return inflate(&m_stream, Z_NO_FLUSH); });
    if (result == Z_STREAM_END) {
        // Another member may follow: files joined with cat are read whole.
        inflateReset(&m_stream);
        return EStatus::End;
    }
    if (result == Z_OK || result == Z_BUF_ERROR) {
        return EStatus::Continue;
    }
    error = m_stream.msg != nullptr ? m_stream.msg : zError(result);
    return EStatus::Error;
}
