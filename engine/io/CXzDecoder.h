#pragma once

#include "IStreamDecoder.h"

#include <lzma.h>

// xz (.xz) streams, several streams one after the other included.
class CXzDecoder final : public IStreamDecoder {
public:
    CXzDecoder();
    ~CXzDecoder() override;
    CXzDecoder(const CXzDecoder&) = delete;
    CXzDecoder& operator=(const CXzDecoder&) = delete;

    EStatus Decode(const char*& input, std::size_t& inputSize, char*& output,
                   std::size_t& outputSize, std::string& error) override;

private:
    lzma_stream m_stream = LZMA_STREAM_INIT;
};
