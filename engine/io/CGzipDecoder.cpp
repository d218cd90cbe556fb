#include "CGzipDecoder.h"

#include <climits>
#include <stdexcept>

namespace {

constexpr int kGzipWindow = 15 + 16; // a gzip header, the largest window

unsigned Chunk(std::size_t size) {
    return static_cast<unsigned>(std::min<std::size_t>(size, UINT_MAX));
}

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
    m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
    m_stream.avail_in = Chunk(inputSize);
    m_stream.next_out = reinterpret_cast<Bytef*>(output);
    m_stream.avail_out = Chunk(outputSize);
    const unsigned inBefore = m_stream.avail_in;
    const unsigned outBefore = m_stream.avail_out;
    const int result = inflate(&m_stream, Z_NO_FLUSH);
    input += inBefore - m_stream.avail_in;
    inputSize -= inBefore - m_stream.avail_in;
    output += outBefore - m_stream.avail_out;
    outputSize -= outBefore - m_stream.avail_out;
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
