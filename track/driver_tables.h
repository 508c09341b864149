#pragma once
// Where the sound driver keeps its tables in the game's ROM image, and a built-in copy of
// them for a track file that comes without its ROM. Addresses are 68000 addresses, which
// in the ROM image are file offsets.

#include <cstdint>
#include <span>

namespace kavelo {

inline constexpr uint32_t envelope_pointer_table = 0x719A8; // 9 big-endian 32-bit addresses
inline constexpr int32_t envelope_count = 9;
inline constexpr uint32_t drum_pitch_table = 0x71CC4;   // indexed by drum note - 0x88
inline constexpr uint32_t fm_frequency_table = 0x72790; // big-endian words by note index
inline constexpr uint32_t psg_frequency_table = 0x729CE;
inline constexpr uint32_t carrier_mask_table = 0x72CAC;   // 8 bytes, one per algorithm
inline constexpr uint32_t voice_register_table = 0x72D18; // 20 operator registers, 4 TL
inline constexpr int32_t voice_register_count = 24;

// The built-in tables lie in [driver_tables_start, driver_tables_end) of the image below;
// its first four bytes are the ROM's first four, which a modulation flag without
// parameters of its own reads.
inline constexpr uint32_t driver_tables_start = envelope_pointer_table;
inline constexpr uint32_t driver_tables_end = voice_register_table + voice_register_count;

// An image of the ROM's first driver_tables_end bytes holding only the driver's tables
// (and the first four bytes); every other byte is zero.
std::span<const uint8_t> builtin_driver_rom();

} // namespace kavelo
