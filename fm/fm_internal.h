#pragma once
// Operations shared by the files of the FM core; not for its clients.

#include "fm/fm_types.h"

#include <cstdint>

namespace kavelo {

// Mode registers 0x20-0x2F of part I, except 0x2A and 0x2B.
void write_mode_register(fm_chip& chip, fm_render_context& render, int32_t reg, uint8_t value);
// Operator and channel registers 0x30-0xB6 of both parts (part II as reg | 0x100).
void write_channel_register(fm_chip& chip, int32_t reg, uint8_t value);

void key_on(fm_channel& channel, int32_t op);
void key_off(fm_channel& channel, int32_t op);

void timer_a_overflow(fm_chip& chip);
void timer_b_overflow(fm_chip& chip);

// Recomputes phase steps and key scales of a stale channel (index 0-5).
void refresh_channel(fm_chip& chip, int32_t channel);

// True while channel 3 runs its operators at their own frequencies (0x27 bits 6-7).
inline bool ch3_special_mode(const fm_chip& chip) {
    return (chip.state.mode & 0xC0) != 0;
}
// True while timer A overflows key channel 3 on (0x27 bit 7).
inline bool ch3_timer_key_on_mode(const fm_chip& chip) {
    return (chip.state.mode & 0x80) != 0;
}

// Timer counts are kept this many times finer than the loaded tick counts.
inline constexpr int32_t timer_scale_shift = 12;

} // namespace kavelo
