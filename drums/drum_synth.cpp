#include "drums/drum_synth.h"

#include "drums/drum_player.h"

#include <algorithm>

namespace kavelo {

uint32_t sample_clock::phase_step(int64_t decihertz) const {
    // decihertz x 2^32 x cycles per value / (clock x 10), cycles per value being
    // cycles_per_byte / values_per_byte.
    const int64_t numerator = decihertz * (int64_t{1} << 32) / 10 * cycles_per_byte;
    return static_cast<uint32_t>(numerator / (z80_clock * values_per_byte));
}

int64_t sample_clock::values_in(int64_t microseconds) const {
    return microseconds * z80_clock * values_per_byte / (int64_t{1000000} * cycles_per_byte);
}

// sin(pi x / 2) on a quarter turn, x in Q16, as x (a - x^2 (b - c x^2)) with a = pi / 2
// and b, c chosen so that the curve meets 1 with zero slope at x = 1 (error below 0.1 %).
int32_t fixed_sine(uint32_t phase) {
    constexpr int64_t a = 102944; // 1.5707963
    constexpr int64_t b = 42047;  // 0.6415927
    constexpr int64_t c = 4640;   // 0.0707963
    const uint32_t quadrant = phase >> 30;
    int64_t x = (phase >> 14) & 0xFFFF;
    if (quadrant & 1) {
        x = 65536 - x;
    }
    const int64_t x2 = x * x >> 16;
    const int64_t inner = a - (x2 * (b - (c * x2 >> 16)) >> 16);
    const int32_t value = static_cast<int32_t>(std::min<int64_t>(x * inner >> 17, 32767));
    return quadrant & 2 ? -value : value;
}

int32_t fall(int64_t t, int64_t length, int32_t power) {
    if (t >= length) {
        return 0;
    }
    const int64_t left = (length - t) * 32768 / length;
    int64_t level = 32768;
    for (int32_t i = 0; i < power; ++i) {
        level = level * left >> 15;
    }
    return static_cast<int32_t>(level);
}

int32_t noise_source::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<int32_t>(state_ >> 16) - 32768;
}

uint8_t to_dac(int64_t level, int32_t peak) {
    const int64_t steps = (level * peak + (level < 0 ? -16384 : 16384)) / 32768;
    return static_cast<uint8_t>(std::clamp<int64_t>(128 + steps, 0, 255));
}

} // namespace kavelo
