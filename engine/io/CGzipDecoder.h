#pragma once

#include "IStreamDecoder.h"

#include <zlib.h>

// gzip (.gz) streams, several members one after the other included.
class CGzipDecoder final : public IStreamDecoder {
public:
    CGzipDecoder();
    ~CGzipDecoder() override;
    CGzipDecoder(const CGzipDecoder&) = delete;
    CGzipDecoder& operator=(const CGzipDecoder&) = delete;

    EStatus Decode(const char*& input, std::size_t& inputSize, char*& output,
                   std::size_t& outputSize, std::string& error) override;

private:
    z_stream m_stream{};
};
