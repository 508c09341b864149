#pragma once
// The preview's chip work: one chip at 7670442 Hz and 44100 Hz, a voice written into
// channel 1 of part I, one note keyed on and rendered. Playing the result is the
// platform player's job.

#include "fm/fm_types.h"
#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace kavelo {

inline constexpr int32_t preview_clock = 7670442;
inline constexpr int32_t preview_rate = 44100;
inline constexpr uint32_t preview_frames = 0x20000;
inline constexpr int32_t preview_note_count = 8;

// Register for each Voice record byte 1-24 (working order: OP4, OP3, OP2, OP1 per group).
inline constexpr std::array<uint8_t, 24> preview_register_table = {
    0x3C, 0x38, 0x34, 0x30, 0x5C, 0x58, 0x54, 0x50, 0x6C, 0x68, 0x64, 0x60,
    0x7C, 0x78, 0x74, 0x70, 0x8C, 0x88, 0x84, 0x80, 0x4C, 0x48, 0x44, 0x40};

// Eight successive semitones: the 0xA4 value (block, F-number bits 8-10), then 0xA0.
struct preview_note {
    uint8_t block_fnum_high;
    uint8_t fnum_low;
};
inline constexpr std::array<preview_note, preview_note_count> preview_note_table = {{
    {0x12, 0x5E},
    {0x12, 0x84},
    {0x12, 0xAB},
    {0x12, 0xD3},
    {0x12, 0xFE},
    {0x13, 0x2D},
    {0x13, 0x5C},
    {0x13, 0x8F},
}};

inline constexpr int32_t preview_done = 1;
inline constexpr int32_t preview_refused = 0;

// Creates chip 0 on `core` (an existing chip is kept) and clears it: reset, LFO off, DAC off.
void preview_chip_setup(fm_core& core);

// The register writes that program the voice and key the note, in order: 0xB0, the 24
// operator registers in table order, 0xA4, 0xA0, 0x28. The note index must be 0-7.
void preview_voice_writes(const voice_record& voice, int32_t note_index,
                          const std::function<void(uint8_t reg, uint8_t value)>& write);

// Renders `frames` frames of the note on a chip of its own, left and right output
// separately. Refused when the note index is not 0-7 or a buffer is shorter than `frames`.
int32_t preview_render(const voice_record& voice, int32_t note_index, uint32_t frames,
                       std::span<int8_t> left, std::span<int8_t> right);

} // namespace kavelo
