#pragma once
// The records of the YM2612 emulation.
//
// Fixed-point formats, used by every file of the core:
//   attenuation  one step is 0.0234375 dB, 4096 steps span 96 dB; 4095 or more is silence
//   amplitude    26 bits; one operator's loudest output is 67108863 (2^26 - 1)
//   phase        u32 counter, one sine period is 2^24, the sine index is bits 13-23
//   envelope     16.16 position: attack scale 0..0x10000000, decay scale
//                0x10000000..0x20000000, 0x20000000 is off
//   timers       running counts are kept 4096 times finer than ticks of 144 master clocks
//
// Register map. Part I is reached through ports 0 (address) and 1 (data), part II through
// ports 2 and 3 and is handled as register | 0x100; only port & 3 counts.
//   0x22 LFO (bit 3 on, bits 0-2 rate)   0x24/0x25 timer A   0x26 timer B
//   0x27 mode (bits 6-7 channel 3 mode, bits 0-5 timer load/enable/reset)
//   0x28 key on/off (bits 0-2 channel, bits 4-7 operators 1, 3, 2, 4)
//   0x2A DAC sample   0x2B DAC enable (bit 7)        -- part I only
//   0x30 DT/MUL  0x40 TL  0x50 RS/AR  0x60 AM/D1R  0x70 D2R  0x80 SL/RR  0x90 SSG-EG (no effect)
//        bits 0-1 channel within the part (3: none), bits 2-3 operator:
//        +0x0 operator 1, +0x4 operator 2, +0x8 operator 3, +0xC operator 4
//   0xA0 F-number low   0xA4 block (bits 3-5) and F-number bits 8-10 (latched)
//   0xA8/0xAC channel 3 per-operator frequencies (part I only)
//   0xB0 feedback (bits 3-5) and algorithm   0xB4 pan (bits 6-7), AMS (bits 4-5), PMS (bits 0-2)

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kavelo {

// Told when a timer count is loaded, reloaded or stopped: (chip, 0 = A / 1 = B, count in
// ticks, seconds per tick).
using fm_timer_handler = void (*)(int32_t chip, int32_t timer, int32_t count, double timer_base);
// Told when the interrupt line changes: (chip, new state 0 or 1).
using fm_irq_handler = void (*)(int32_t chip, int32_t state);

// A rate reference is a position in attack_steps or decay_steps; this one reads all zeros.
inline constexpr uint8_t fm_zero_rate = 0xFF;

// Envelope phases.
inline constexpr uint8_t env_off = 0;
inline constexpr uint8_t env_release = 1;
inline constexpr uint8_t env_sustain = 2;
inline constexpr uint8_t env_decay = 3;
inline constexpr uint8_t env_attack = 4;

inline constexpr int32_t env_attack_end = 0x10000000;
inline constexpr int32_t env_bottom = 0x20000000;
inline constexpr int32_t silent_attenuation = 4095;

// Where an operator's output goes: a modulation input of the same channel or an output
// accumulator chosen by pan. Operator 1 in algorithm 5 feeds all three inputs.
enum fm_route : uint8_t {
    route_in2,
    route_in3,
    route_in4,
    route_right,   // pan 1
    route_left,    // pan 2
    route_both,    // pan 3
    route_discard, // pan 0: computed, never heard
    route_all_inputs,
};

// Operators are stored in register order: op[0] operator 1 (+0x0), op[1] operator 2
// (+0x4), op[2] operator 3 (+0x8), op[3] operator 4 (+0xC).
struct fm_operator {
    uint8_t detune = 0;      // row of detune_steps, 0..7
    int32_t total_level = 0; // TL in attenuation steps, 0..4095
    int32_t level = 0;       // the total level in force
    uint8_t rate_shift = 0;  // 3 - RS
    uint8_t attack_rate = 0; // rate references
    uint8_t decay_rate = 0;
    uint8_t sustain_rate = 0;
    uint8_t release_rate = 0;
    int32_t sustain_level = 0; // envelope position at which decay ends
    uint8_t key_scale = 0;     // key_code >> rate_shift as of the last refresh
    int32_t multiple = 0;      // twice the frequency multiple
    uint32_t phase = 0;
    int32_t phase_step = 0; // -1 on operator 1 marks the channel stale
    uint8_t env_phase = env_off;
    int32_t env_counter = 0;
    int32_t env_end = 0;
    int32_t env_step = 0;
    int32_t attack_step = 0;
    int32_t decay_step = 0;
    int32_t sustain_step = 0;
    int32_t release_step = 0;
    uint8_t am_on = 0;
    int32_t am_depth = 0; // am_on x the channel's am_depth
};

struct fm_channel {
    std::array<fm_operator, 4> op{};
    uint8_t pan = 0;                      // 0 silent, 1 right, 2 left, 3 both
    uint8_t algorithm = 0;                // 0..7
    uint8_t feedback_shift = 0;           // 0 none, else 9 - FB
    std::array<int32_t, 2> op1_history{}; // newest first
    std::array<uint8_t, 4> routes{};      // fm_route of operators 1, 3, 2, 4
    int32_t pm_depth = 0;
    int32_t am_depth = 0;
    uint32_t freq_step = 0; // phase step of F-number and block, before multiple and detune
    uint8_t block_fnum = 0; // latch of 0xA4-0xA6
    uint8_t key_code = 0;   // block << 2 | F-number class
};

// Channel 3's per-operator frequencies: entry 0 drives operator 2, entry 1 operator 1,
// entry 2 operator 3.
struct fm_ch3_entry {
    uint32_t freq_step = 0;
    uint8_t block_fnum = 0;
    uint8_t key_code = 0;
};
using fm_ch3_freqs = std::array<fm_ch3_entry, 3>;

struct fm_state {
    uint8_t index = 0;
    int32_t clock = 0;
    int32_t rate = 0;
    double freq_base = 0.0;  // clock / rate / 144: chip ticks per output frame
    double timer_base = 0.0; // seconds per timer tick
    uint8_t address = 0;
    uint8_t irq = 0;
    uint8_t irq_mask = 0;
    uint8_t status = 0; // bit 0 timer A overflowed, bit 1 timer B overflowed
    uint32_t mode = 0;  // last value of register 0x27
    int32_t timer_a = 0;
    int32_t timer_a_count = 0; // scaled by 4096; 0 = stopped
    uint8_t timer_b = 0;
    int32_t timer_b_count = 0; // scaled by 4096; 0 = stopped
    std::array<std::array<int32_t, 32>, 8> detune_steps{};
    std::array<int32_t, 94> attack_steps{};
    std::array<int32_t, 94> decay_steps{};
    fm_timer_handler timer_handler = nullptr;
    fm_irq_handler irq_handler = nullptr;
};

struct fm_chip {
    fm_state state;
    fm_ch3_freqs ch3{};
    std::array<uint32_t, 2048> fnum_steps{}; // phase step of each F-number at block 7
    uint32_t lfo_counter = 0;                // one LFO period is the full 2^32 range
    uint32_t lfo_step = 0;                   // 0: LFO off
    std::array<uint32_t, 8> lfo_steps{};
    std::array<fm_channel, 6> channel{};
    int32_t address2 = 0;
    int32_t dac_enable = 0; // 0x80: channel 6 plays the DAC value
    int32_t dac_value = 0;  // (value - 128) << 19
};

// Frames are rendered in blocks; each computed channel adds its floored output to the
// accumulator its pan selects.
inline constexpr int32_t fm_block_frames = 256;

struct fm_render_context {
    int32_t chip = -1; // the chip the context is prepared for, -1 none
    fm_channel* channels = nullptr;
    int32_t dac_enable = 0;
    uint32_t lfo_counter = 0;
    uint32_t lfo_step = 0;
    int32_t lfo_am = 0; // 0..65536, of the last frame
    int32_t lfo_pm = 0; // lfo_am - 32768
    // Output accumulators of one block by route (right, left, both, discard).
    std::array<std::array<int32_t, fm_block_frames>, 4> out{};
    std::array<int32_t, fm_block_frames> block_lfo_am{};
    std::array<int32_t, fm_block_frames> block_lfo_pm{};
    int8_t* left = nullptr;
    int8_t* right = nullptr;
};

// Every chip of one emulation and the render context they share. The process-wide
// operations use one default core; a caller may own further cores of its own.
struct fm_core {
    std::unique_ptr<fm_chip[]> chips;
    int32_t count = 0;
    fm_render_context render;
};

} // namespace kavelo
