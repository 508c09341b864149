#pragma once
// One FM voice, 25 bytes. In memory a record is in working order: byte 0 is
// feedback/algorithm, then six groups of four operator bytes (DT/MUL, RS/AR, AM/D1R,
// D2R, D1L/RR, TL), each group running OP4, OP3, OP2, OP1. A track stores records
// in ROM order, where the first and last byte of every group are exchanged.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavelo {

inline constexpr std::size_t voice_record_size = 25;
using voice_record = std::array<uint8_t, voice_record_size>;

// ROM order <-> working order; its own inverse.
voice_record swap_voice_order(const voice_record& record);

// 50 lower-case hex digits, byte 0 first.
std::string voice_to_hex(const voice_record& record);
std::optional<voice_record> voice_from_hex(std::string_view hex);

} // namespace kavelo
