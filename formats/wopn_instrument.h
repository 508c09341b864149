#pragma once
// The instrument record shared by .wopn banks and .opni files (65 bytes; 69 from version 2):
//   0-31  name, zero-padded          32-33 note offset (signed, big-endian)
//   34    percussion key number      35    FB bits 3-5, ALG bits 0-2 (register 0xB0)
//   36    LFO sensitivity (0xB4)     37-64 4 operators of 7 raw register bytes in register
//         order (OP1..OP4): 0x30 DT/MUL, 0x40 TL, 0x50 RS/AR, 0x60 AM/D1R, 0x70 D2R,
//         0x80 D1L/RR, 0x90 SSG-EG
//   65-68 (version 2 banks only) key-on and key-off delays in ms, big-endian: how long the
//         sound lasts while the key is held and after it is released, measured by the
//         program that made the bank; both zero, with no voice bytes, marks a blank slot.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file.h"

namespace kavelo {

inline constexpr std::size_t wopn_instrument_size = 65;
inline constexpr std::size_t wopn_bank_instrument_size_v2 = 69; // with the delays

named_voice wopn_instrument_to_voice(std::span<const uint8_t> instrument, bool percussion,
                                     dropped_fields& dropped);
// A blank slot: FB/ALG and the operator bytes a Voice holds are zero and so are the delays
// (a version 1 record has none). Its name does not count: real banks name empty slots.
bool wopn_slot_is_blank(std::span<const uint8_t> instrument);
// Appends the 65-byte record.
void put_wopn_instrument(std::vector<uint8_t>& out, const named_voice& voice);

} // namespace kavelo
