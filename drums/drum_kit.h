#pragma once
// The game's drum kit as its DAC program plays it: three DPCM samples (kick, snare,
// timpani) with their loop pitches, taken from the DAC program that the ROM holds packed,
// and the long 8-bit PCM sample that the program reads from the cartridge.

#include "rom/results.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

// ROM offsets.
inline constexpr std::size_t dac_program_pointer_offset = 0x135E; // 32-bit big-endian
inline constexpr uint32_t dac_program_rom_offset = 0x72E7C;
inline constexpr std::size_t dac_program_rom_end = 0x745DC; // the Track table follows
inline constexpr std::size_t dac_program_max_packed = dac_program_rom_end - dac_program_rom_offset;
inline constexpr std::size_t long_pcm_rom_offset = 0x79688;
inline constexpr std::size_t long_pcm_size = 27000;

// Addresses inside the unpacked program (Z80 RAM).
inline constexpr std::size_t dpcm_delta_table_address = 0x0022;
inline constexpr std::size_t sample_table_address = 0x00D6;
inline constexpr std::size_t sample_entry_size = 8; // start, length, pitch, unused (LE16)
inline constexpr std::size_t dpcm_sample_count = 3;

inline constexpr std::array<const char*, dpcm_sample_count> dpcm_sample_names = {"kick", "snare",
                                                                                 "timpani"};

struct drum_kit {
    std::array<std::vector<uint8_t>, dpcm_sample_count> dpcm; // kick, snare, timpani
    std::array<uint8_t, dpcm_sample_count> pitch{};           // loop counts; 0 acts as 256
    std::vector<uint8_t> long_pcm;                            // unsigned 8-bit PCM
};

// Takes the kit from a ROM image. Refused with one sentence, "The drums are silent: ...",
// when the address at 0x135E is not the DAC program's, the program does not unpack, its
// delta table differs, a sample is empty or lies outside it, or the ROM is too short for
// the long sample.
op_result find_drum_kit(std::span<const uint8_t> rom, drum_kit& kit);

} // namespace kavelo
