#pragma once
// The DAC program's drum samples: 4-bit delta codes, two to a byte, high nibble first.
// Each nibble picks a step from the delta table; the running sum (mod 256, starting at
// 0x80 for every sample) is the next unsigned 8-bit DAC value, 0x80 being the centre.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

inline constexpr uint8_t dac_centre = 0x80;

// The steps as the program stores them: 0, 1, 2, 4 ... 64, 128, then -1, -2 ... -64.
inline constexpr std::array<uint8_t, 16> dpcm_deltas = {
    0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0xFF, 0xFE, 0xFC, 0xF8, 0xF0, 0xE0, 0xC0};

inline uint8_t dpcm_step(uint8_t accumulator, uint8_t nibble) {
    return static_cast<uint8_t>(accumulator + dpcm_deltas[nibble & 0x0F]);
}

// Two DAC values per byte, 2 x bytes.size() in all.
std::vector<uint8_t> dpcm_decode(std::span<const uint8_t> bytes);

// The bytes whose decoding follows `values` (unsigned 8-bit, an odd count gets the last
// value repeated) as closely as the steps allow: each byte takes the pair of nibbles with
// the least squared error over its two values, never wrapping past 0 or 255.
std::vector<uint8_t> dpcm_encode(std::span<const uint8_t> values);

} // namespace kavelo
