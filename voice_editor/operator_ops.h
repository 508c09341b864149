#pragma once
// One operator of a voice as a unit: its byte of each of the six operator groups (DT/MUL,
// RS/AR, AM/D1R, D2R, D1L/RR, TL), which carries its nine fields and its AME bit. Copy,
// paste and swap work on these bytes of a working-order Voice record.

#include "rom/voice_record.h"

#include <array>
#include <cstdint>

namespace kavelo {

inline constexpr int operator_count = 4;
inline constexpr int operator_group_count = 6;

// Operator n's bytes, group by group; n is 1..4 (OP1..OP4).
using operator_bytes = std::array<uint8_t, operator_group_count>;

// True for 1..4.
bool valid_operator(int op);

// Where operator `op`'s byte of group `group` (0..5) lies in the record.
std::size_t operator_byte_index(int op, int group);

operator_bytes copy_operator(const voice_record& voice, int op);
void paste_operator(voice_record& voice, int op, const operator_bytes& bytes);
void swap_operators(voice_record& voice, int first, int second);

} // namespace kavelo
