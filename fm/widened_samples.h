#pragma once
// The chip's 8-bit samples as sound devices and WAV files take them: 16 bits, widened by a
// shift of 8 (-128..127 become -32768..32512), and the two outputs interleaved left, right.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kavelo {

constexpr int16_t widened(int8_t sample) {
    return static_cast<int16_t>(sample * 256);
}

// Frame i becomes out[2i] = left[i], out[2i + 1] = right[i], for as many frames as all three
// spans hold whole; returns that count. Elements of `out` beyond those frames are untouched.
std::size_t interleave(std::span<const int8_t> left, std::span<const int8_t> right,
                       std::span<int8_t> out);
// The same with each sample widened.
std::size_t widen_interleaved(std::span<const int8_t> left, std::span<const int8_t> right,
                              std::span<int16_t> out);

} // namespace kavelo
