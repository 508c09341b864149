#pragma once
// Values inside the ROM image are big-endian (68000 order).

#include <cstdint>
#include <span>

namespace kavelo {

inline uint16_t read_be16(std::span<const uint8_t, 2> bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline void write_be16(std::span<uint8_t, 2> bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value & 0xFF);
}

} // namespace kavelo
