#pragma once

#include "IStreamDecoder.h"

#include <bzlib.h>

// bzip2 (.bz2) streams, several streams one after the other included.
class CBzip2Decoder final : public IStreamDecoder {
public:
    CBzip2Decoder();
    ~CBzip2Decoder() override;
    CBzip2Decoder(const CBzip2Decoder&) = delete;
    CBzip2Decoder& operator=(const CBzip2Decoder&) = delete;

    EStatus Decode(const char*& input, std::size_t& inputSize, char*& output,
                   std::size_t& outputSize, std::string& error) override;

private:
    bz_stream m_stream{};
};
