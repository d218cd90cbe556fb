#include "CDecodingTraceSource.h"

namespace {

constexpr std::size_t kInputBytes = 1 << 20;

} // namespace

CDecodingTraceSource::CDecodingTraceSource(ITraceFileSystem& fileSystem, std::string path,
                                           std::unique_ptr<IStreamDecoder> decoder,
                                           std::string head, bool ended)
    : m_input(fileSystem, path, 0, std::move(head), ended), m_strPath(std::move(path)),
      m_decoder(std::move(decoder)) {}

// Decodes until some text came out, the file ended after a whole stream, or the data is
// damaged; a file that ends inside a stream is damaged too.
bool CDecodingTraceSource::Read(char* buffer, std::size_t capacity, std::size_t& got,
                                std::string& error) {
    got = 0;
    while (got == 0 && !m_bTextEnded) {
        if (m_nUsed == m_buffer.size() && !m_bInputEnded && !Refill(error)) {
            return false;
        }
        const char* input = m_buffer.data() + m_nUsed;
        std::size_t inputSize = m_buffer.size() - m_nUsed;
        const std::size_t inputBefore = inputSize;
        char* output = buffer;
        std::size_t outputSize = capacity;
        std::string reason;
        const IStreamDecoder::EStatus status =
            m_decoder->Decode(input, inputSize, output, outputSize, reason);
        m_nUsed += inputBefore - inputSize;
        got = capacity - outputSize;
        if (status == IStreamDecoder::EStatus::Error) {
            error = m_strPath + ": " + reason;
            return false;
        }
        const bool moved = got > 0 || inputSize != inputBefore;
        m_bStreamEnded = status == IStreamDecoder::EStatus::End || (m_bStreamEnded && !moved);
        if (m_bInputEnded && m_nUsed == m_buffer.size()) {
            if (m_bStreamEnded) {
                m_bTextEnded = true;
            } else if (!moved) {
                error = m_strPath + ": unexpected end of the compressed file";
                return false;
            }
        }
    }
    return true;
}

bool CDecodingTraceSource::Refill(std::string& error) {
    m_buffer.resize(kInputBytes);
    std::size_t got = 0;
    if (!m_input.Read(m_buffer.data(), m_buffer.size(), got, error)) {
        return false;
    }
    m_buffer.resize(got);
    m_nUsed = 0;
    m_bInputEnded = got == 0;
    return true;
}
