#pragma once
// The FM core's tables: constants the chip defines, the process-wide amplitude, log-sine
// and envelope tables, and the per-chip tables that depend on clock and output rate.

#include "fm/fm_types.h"

#include <array>
#include <cstdint>

namespace kavelo {

// Twice the frequency multiple, by MUL (MUL 0 means one half).
inline constexpr std::array<int32_t, 16> multiple_table = {1,  2,  4,  6,  8,  10, 12, 14,
                                                           16, 18, 20, 22, 24, 26, 28, 30};

// Envelope position at which decay ends, by SL: 3 dB a step, SL 15 is 93 dB.
inline constexpr std::array<int32_t, 16> sustain_level_table = [] {
    std::array<int32_t, 16> table{};
    for (int32_t sl = 0; sl < 15; ++sl) {
        table[sl] = 0x10000000 + sl * 0x800000;
    }
    table[15] = 0x1F800000;
    return table;
}();

// Key code class by F-number bits 7-10.
inline constexpr std::array<uint8_t, 16> key_code_table = {0, 0, 0, 0, 0, 0, 0, 1,
                                                           2, 3, 3, 3, 3, 3, 3, 3};

// Tremolo depth in attenuation steps by AMS.
inline constexpr std::array<int32_t, 4> am_depth_table = {0, 59, 251, 503};

// Vibrato depth in cents by PMS.
inline constexpr std::array<double, 8> pm_cents_table = {0.0,  3.4,  6.7,  10.0,
                                                         14.0, 20.0, 40.0, 80.0};

// LFO frequency in Hz by register 0x22 bits 0-2.
inline constexpr std::array<double, 8> lfo_hz_table = {3.98, 5.56, 6.02, 6.37,
                                                       6.88, 9.63, 48.1, 72.2};

// Detune in phase units before scaling, by detune row 0-3 and key code.
inline constexpr std::array<std::array<int8_t, 32>, 4> detune_base_table = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2,
     2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 8, 8},
    {1, 1, 1, 1, 2, 2, 2, 2,  2,  3,  3,  3,  4,  4,  4,  5,
     5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 16, 16, 16, 16},
    {2, 2, 2, 2,  2,  3,  3,  3,  4,  4,  4,  5,  5,  6,  6,  7,
     8, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 20, 22, 22, 22, 22},
}};

// LFO wave: rises from 0 to 65536 at index 256, falls back to 256.
inline constexpr std::array<int32_t, 512> lfo_triangle = [] {
    std::array<int32_t, 512> table{};
    for (int32_t i = 0; i < 512; ++i) {
        table[i] = (i < 256 ? i : 512 - i) * 256;
    }
    return table;
}();

// Process-wide tables, built once from double-precision pow, sin and log10.
struct fm_tables {
    // Amplitude by attenuation: 0..8191 positive, 8192..16383 negative; 4095 and up of
    // each half is zero, so a base position plus a too-large attenuation reads silence.
    std::array<int32_t, 16384> level_table;
    // Base position in level_table of each 11-bit phase index.
    std::array<uint16_t, 2048> sine_table;
    // Attenuation by envelope position >> 16: attack curve, then linear decay, then off.
    std::array<int32_t, 8193> attenuation_curve;
    // The renderer's copies of the two above with halves of 16384: any base position plus
    // any attenuation up to 4095 + 4095 + 503 stays in its half and reads zero from 4095
    // on, so silent operators need no test.
    std::array<int32_t, 32768> wide_level_table;
    std::array<uint16_t, 2048> wide_sine_table;
};

const fm_tables& fm_shared_tables();

// Conversion toward zero that keeps the low 32 bits of a value beyond the i32 range;
// values that no integer holds give 0.
int32_t truncate_wrapped(double value);

// Computes freq_base, timer_base and every per-chip table from the chip's clock and rate.
void fm_chip_setup(fm_chip& chip, int32_t freq_prescaler, int32_t timer_prescaler);

// Step of a rate reference at a key scale; the zero reference reads 0.
inline int32_t rate_step(const std::array<int32_t, 94>& steps, uint8_t reference,
                         uint8_t key_scale) {
    return reference == fm_zero_rate ? 0 : steps[reference + key_scale];
}

} // namespace kavelo
