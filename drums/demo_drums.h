#pragma once
// The demo ROM's drums, synthesised here since the game's cannot be shipped: a DAC
// program image (delta table at 0x0022, sample table at 0x00D6, then a kick, a snare and
// a timpani as DPCM; no Z80 code) packed for ROM 0x72E7C, and a crash cymbal as the long
// 8-bit PCM sample.

#include <cstdint>
#include <vector>

namespace kavelo {

// The packed program; it fits in dac_program_max_packed bytes.
std::vector<uint8_t> make_demo_dac_program();

// Exactly long_pcm_size bytes of unsigned 8-bit PCM for ROM 0x79688.
std::vector<uint8_t> make_demo_long_sample();

} // namespace kavelo
