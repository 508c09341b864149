#include "fm/widened_samples.h"

#include <algorithm>

namespace kavelo {

namespace {

template <typename Sample, typename Convert>
std::size_t interleave_frames(std::span<const int8_t> left, std::span<const int8_t> right,
                              std::span<Sample> out, Convert convert) {
    const std::size_t frames = std::min({left.size(), right.size(), out.size() / 2});
    for (std::size_t i = 0; i < frames; ++i) {
        out[2 * i] = convert(left[i]);
        out[2 * i + 1] = convert(right[i]);
    }
    return frames;
}

} // namespace

std::size_t interleave(std::span<const int8_t> left, std::span<const int8_t> right,
                       std::span<int8_t> out) {
    return interleave_frames(left, right, out, [](int8_t sample) { return sample; });
}

std::size_t widen_interleaved(std::span<const int8_t> left, std::span<const int8_t> right,
                              std::span<int16_t> out) {
    return interleave_frames(left, right, out, widened);
}

} // namespace kavelo
