#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>

// One call of a decoding library on the buffers an IStreamDecoder is given: hands `input` and
// `output` to the library's stream in its next_in, avail_in, next_out and avail_out (at most
// as many bytes as those fields count), runs `step`, which calls the library, and moves both
// buffers on past what the library used. Answers what `step` answers.
template <class TStream, class FStep>
auto DecodeStep(TStream& stream, const char*& input, std::size_t& inputSize, char*& output,
                std::size_t& outputSize, FStep step) {
    using TInput = decltype(stream.next_in);
    using TOutput = decltype(stream.next_out);
    using TCount = decltype(stream.avail_in);
    constexpr std::size_t kMost = std::numeric_limits<TCount>::max();
    stream.next_in = reinterpret_cast<TInput>(const_cast<char*>(input));
    stream.avail_in = static_cast<TCount>(std::min(inputSize, kMost));
    stream.next_out = reinterpret_cast<TOutput>(output);
    stream.avail_out = static_cast<decltype(stream.avail_out)>(std::min(outputSize, kMost));
    const std::size_t inputBefore = stream.avail_in;
    const std::size_t outputBefore = stream.avail_out;
    const auto result = step();
    input += inputBefore - stream.avail_in;
    inputSize -= inputBefore - stream.avail_in;
    output += outputBefore - stream.avail_out;
    outputSize -= outputBefore - stream.avail_out;
    return result;
}
