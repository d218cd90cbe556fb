#pragma once

#include "CPlainTraceSource.h"
#include "IStreamDecoder.h"

#include <memory>
#include <vector>

// The text of a compressed file, decoded as it is read.
class CDecodingTraceSource final : public CTraceSource {
public:
    // `head` holds the file's first bytes, already read; `ended` whether they are all of it.
    CDecodingTraceSource(ITraceFileSystem& fileSystem, std::string path,
                         std::unique_ptr<IStreamDecoder> decoder, std::string head, bool ended);

    bool Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& error) override;
    bool IsPlain() const override { return false; }
    std::int64_t FileBytesRead() const override { return m_input.FileBytesRead(); }

private:
    bool Refill(std::string& error);

    CPlainTraceSource m_input;
    std::string m_strPath;
    std::unique_ptr<IStreamDecoder> m_decoder;
    std::vector<char> m_buffer; // compressed bytes read, not decoded yet from m_nUsed on
    std::size_t m_nUsed = 0;
    bool m_bInputEnded = false;
    bool m_bStreamEnded = false; // the last decoding ended a stream, nothing came after it
    bool m_bTextEnded = false;
};
