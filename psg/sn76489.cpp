// sn76489: the PSG's registers and counters, and its box-filtered rendering.
//
// Timing: the counters count at clock / 16 ("ticks"). A tone counter counts down from its
// period and on expiry reloads and flips the channel's square, so period N plays
// clock / (32 N) Hz; a new period takes effect at the next reload. The noise channel has a
// counter and square of its own, reloading 0x10, 0x20 or 0x40 ticks or tone 3's period; its
// shift register shifts when that square goes high, i.e. on every second expiry, so the
// shift rate is half the reload rate: clock / 512 for reload 0x10.
//
// Rendering follows edges rather than ticks: a channel's output is constant between its
// counter's expiries, so each expiry only adds its level change, spread over the sample it
// falls in and the next, to a buffer of sample-to-sample differences; one running sum then
// gives every sample's integral, divided by the sample's length. Times are integers in units
// of 1 / (clock x rate) s (a sample is `clock` units, a tick 16 x `rate`), so nothing drifts
// however long it runs.

#include "psg/sn76489.h"

namespace kavelo {

namespace {

constexpr std::size_t chunk_samples = 256;
static_assert(4 * psg_full_scale <= 32767, "four channels at full level must fit a sample");

// Amplitude by attenuation: 8191 x 10^(-2k / 20) rounded; 15 is off.
constexpr std::array<int32_t, 16> amplitude_table = {8191, 6506, 5168, 4105, 3261, 2590, 2057, 1634,
                                                     1298, 1031, 819,  651,  517,  411,  326,  0};

// Noise counter reload in ticks by noise control bits 0-1; 3 takes tone 3's period.
constexpr std::array<int64_t, 3> noise_reload_table = {0x10, 0x20, 0x40};
constexpr uint16_t noise_rate_mask = 0x3;
constexpr uint16_t noise_from_tone3 = 0x3;
constexpr uint16_t noise_white = 0x4;
constexpr uint16_t noise_control_mask = 0x7;
constexpr uint16_t shift_register_start = 0x8000;
constexpr uint16_t silent = 15;

// Latch numbers (cc << 1 | t) of the registers the writes treat apart.
constexpr uint8_t tone3_latch = 4;
constexpr uint8_t noise_latch = 6;

// This console's chip counts a period of 0 as 1 (other makers' parts take it as 0x400).
int64_t period_ticks(uint16_t period) {
    return std::max<int64_t>(period, 1);
}

uint16_t with_low_bits(uint16_t value, uint8_t byte) {
    return static_cast<uint16_t>((value & 0x3F0) | (byte & 0x0F));
}

// Adds one channel's level changes inside a chunk of samples to `changes`, which holds
// how much each sample's integral (level x units) exceeds the one before: a change by
// `delta` at `at` units into sample i adds delta x (S - at) to sample i and delta x at to
// sample i + 1 (so `changes` has one entry more than the chunk). `expiry` is the time from
// the chunk's start to the next change and is left relative to the next chunk; `change`
// applies one and returns its delta. `per_unit` is 1 / S.
template <typename Change>
void add_changes(std::span<int64_t> changes, int64_t sample_units, double per_unit, int64_t& expiry,
                 int64_t step, Change change) {
    const int64_t end = static_cast<int64_t>(changes.size() - 1) * sample_units;
    int64_t t = expiry;
    for (; t < end; t += step) {
        const int64_t delta = change();
        // The sample index from a multiplication, cheaper than a 64-bit division; one too
        // few leaves `at` = S, which adds the same.
        auto i = static_cast<int64_t>(static_cast<double>(t) * per_unit);
        i -= i * sample_units > t;
        const int64_t at = t - i * sample_units;
        changes[static_cast<std::size_t>(i)] += delta * (sample_units - at);
        changes[static_cast<std::size_t>(i) + 1] += delta * at;
    }
    expiry = t - end;
}

} // namespace

sn76489::sn76489(uint32_t clock, uint32_t rate)
    : sample_units_(std::max<int64_t>(clock, 1)), tick_units_(16 * std::max<int64_t>(rate, 1)) {
    reset();
}

void sn76489::reset() {
    registers_ = {0, silent, 0, silent, 0, silent, 0, silent};
    latched_ = 0;
    next_expiry_.fill(tick_units_);
    high_.fill(false);
    shift_register_ = shift_register_start;
}

void sn76489::write(uint8_t byte) {
    const bool latch = (byte & 0x80) != 0;
    if (latch) {
        latched_ = static_cast<uint8_t>((byte >> 4) & 7);
    }
    uint16_t& reg = registers_[latched_];
    if (!latch && latched_ % 2 == 0 && latched_ != noise_latch) {
        reg = static_cast<uint16_t>(((byte & 0x3F) << 4) | (reg & 0x0F));
    } else {
        reg = with_low_bits(reg, byte);
    }
    if (latched_ == noise_latch) {
        reg &= noise_control_mask;
        shift_register_ = shift_register_start;
    }
}

void sn76489::render(std::span<int16_t> mono) {
    std::array<int64_t, chunk_samples + 1> changes;
    const double per_unit = 1.0 / static_cast<double>(sample_units_);

    const uint16_t control = registers_[noise_latch];
    const bool white = (control & noise_white) != 0;
    const int64_t reload = tick_units_ * ((control & noise_rate_mask) == noise_from_tone3
                                              ? period_ticks(registers_[tone3_latch])
                                              : noise_reload_table[control & noise_rate_mask]);
    const int32_t noise_amplitude = amplitude_table[registers_[2 * noise + 1]];

    while (!mono.empty()) {
        const std::size_t n = std::min(chunk_samples, mono.size());
        const std::span<int64_t> chunk(changes.data(), n + 1);
        std::fill(chunk.begin(), chunk.end(), 0);
        // The integral of a sample before the chunk at the levels it starts with.
        int64_t integral = 0;

        for (int32_t ch = 0; ch < noise; ++ch) {
            const int32_t amplitude = amplitude_table[registers_[2 * ch + 1]];
            bool high = high_[ch];
            integral += (high ? amplitude : -amplitude) * sample_units_;
            add_changes(chunk, sample_units_, per_unit, next_expiry_[ch],
                        tick_units_ * period_ticks(registers_[2 * ch]), [&] {
                            high = !high;
                            return int64_t{high ? 2 * amplitude : -2 * amplitude};
                        });
            high_[ch] = high;
        }

        bool high = high_[noise];
        uint16_t shifter = shift_register_;
        int32_t level = (shifter & 1) != 0 ? noise_amplitude : -noise_amplitude;
        integral += level * sample_units_;
        add_changes(chunk, sample_units_, per_unit, next_expiry_[noise], reload, [&] {
            high = !high;
            if (!high) {
                return int64_t{0};
            }
            // White noise feeds back bit 0 XOR bit 3, periodic noise bit 0, at bit 15.
            const uint16_t taps = white ? shifter ^ (shifter >> 3) : shifter;
            shifter = static_cast<uint16_t>((shifter >> 1) | ((taps & 1) << 15));
            const int32_t before = level;
            level = (shifter & 1) != 0 ? noise_amplitude : -noise_amplitude;
            return int64_t{level - before};
        });
        high_[noise] = high;
        shift_register_ = shifter;

        for (std::size_t i = 0; i < n; ++i) {
            integral += changes[i];
            const double average = static_cast<double>(integral) * per_unit;
            mono[i] = static_cast<int16_t>(average + (average < 0 ? -0.5 : 0.5));
        }
        mono = mono.subspan(n);
    }
}

} // namespace kavelo
