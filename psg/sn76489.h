#pragma once
// The console's PSG: the SN76489 built into its video chip. Three square-wave tone channels
// and a noise channel, driven by port bytes, rendered as mono 16-bit samples.
//
// Port bytes:
//   1 cc t dddd  latch channel cc (0-2 tone channels 1-3, 3 noise), register t (0 tone
//                period or noise control, 1 attenuation), and write dddd to its low 4 bits
//   0 x dddddd   data: a latched tone register takes dddddd as its period's high 6 bits;
//                a latched attenuation or noise register takes dddd as its low 4 bits
// Registers: tone period 10 bits, plays clock / (32 N) Hz, 0 acting as 1 on this console's
// chip; attenuation 4 bits, 2 dB a step, 15 = off; noise control 3 bits: bit 2 white (1) or
// periodic (0), bits 0-1 the shift rate clock / 512, / 1024, / 2048, or 3: tone 3's period.
// Noise: a 16-bit shift register, set to 0x8000 by every write to the noise control, shifts
// right on each rise of the noise counter's square (half the counter's reload rate), taking
// in at bit 15 bit 0 XOR bit 3 (white) or bit 0 (periodic); the output is bit 0.
// A write between two renders takes effect from the first sample of the second.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace kavelo {

inline constexpr uint32_t psg_clock = 3579545;
inline constexpr uint32_t psg_default_rate = 44100;
// A channel at attenuation 0 swings between +8191 and -8191, so four of them fit 16 bits.
inline constexpr int32_t psg_full_scale = 8191;

class sn76489 {
  public:
    // `clock` in Hz (the counters count at clock / 16) and the output `rate` in Hz; a 0 for
    // either is taken as 1. Starts in the reset state.
    explicit sn76489(uint32_t clock = psg_clock, uint32_t rate = psg_default_rate);

    // Every channel silent (attenuation 15), periods and noise control 0, the noise shift
    // register 0x8000, tone 1's period latched, every counter one tick from expiring.
    void reset();
    // One byte to the PSG port.
    void write(uint8_t byte);
    // Fills `mono` (it overwrites, it does not add) with the next samples. Each sample is the
    // exact average of the channels' output over its span of time, so tones near and above
    // half the rate come out as the level they average to, not as aliases.
    void render(std::span<int16_t> mono);

  private:
    static constexpr int32_t channels = 4;
    static constexpr int32_t noise = 3;

    // The eight registers by latch number cc << 1 | t: tone 1, attenuation 1, ..., noise
    // control, noise attenuation.
    std::array<uint16_t, 2 * channels> registers_{};
    uint8_t latched_ = 0;
    // Per channel: the time from the next sample's start to its counter's next expiry, in
    // units of 1 / (clock x rate) s (a sample is `clock` units, a tick 16 x `rate`), and its
    // square's level (for the noise channel the square that clocks the shift register).
    std::array<int64_t, channels> next_expiry_{};
    std::array<bool, channels> high_{};
    uint16_t shift_register_ = 0x8000;
    int64_t sample_units_;
    int64_t tick_units_;
};

// The PSG's share of the mix: a PSG sample is halved before it joins the FM chip's sample
// widened to 16 bits. A full-volume PSG square then peaks at half of one full-level FM
// carrier (32 << 8): 3 dB below it in RMS, which the square's harmonics make up for, so it
// sits where a moderately loud single FM channel does.
inline constexpr int32_t psg_mix_shift = 1;

} // namespace kavelo
