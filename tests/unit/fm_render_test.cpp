// Rendered samples checked against values worked out by hand from the chip's formulas.
// With a clock of 144 x 44100 Hz one chip tick is one frame, so F-number 1024 at block 7
// with MUL 4 advances the phase by exactly a quarter period (0x400000) a frame.

#include "fm_test_support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kavelo {
namespace {

using test::fm_fixture;
using samples = std::vector<int8_t>;

constexpr int32_t one_tick_clock = 144 * 44100;
constexpr int32_t peak = 67108863;

// Amplitude at an attenuation, and the attenuation of the log-sine at a phase index,
// straight from their definitions.
int32_t amplitude(int32_t attenuation) {
    return static_cast<int32_t>(67108863.0 / std::pow(10.0, attenuation * 0.0234375 / 20.0));
}
int32_t sine_attenuation(int32_t index) {
    return static_cast<int32_t>(std::log10(1.0 / std::sin(index * 6.283185307179586 / 2048.0)) *
                                20.0 / 0.0234375);
}
// One channel's contribution as an output byte: floored to whole steps, shifted by 21.
int8_t output_byte(int64_t sum) {
    return static_cast<int8_t>(std::floor(sum / 2097152.0));
}
// The output byte of one operator at a phase index of the full period.
int8_t sine_byte(int32_t index, int32_t attenuation = 0) {
    if (index % 1024 == 0) {
        return 0;
    }
    const int32_t quarter =
        index < 1024 ? std::min(index, 1024 - index) : std::min(index - 1024, 2048 - index);
    const int32_t magnitude = amplitude(sine_attenuation(quarter) + attenuation);
    return output_byte(index < 1024 ? magnitude : -magnitude);
}

// Channel `ch` (0-2 of part I): the algorithm, every operator at MUL `mul[k]`, TL `tl[k]`,
// AR 31 and no decay, F-number 1024 at block 7, keyed on.
void quarter_step_voice(fm_fixture& fm, int32_t ch, uint8_t fb_alg, std::array<uint8_t, 4> mul,
                        std::array<uint8_t, 4> tl, bool key = true) {
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t op = 4 * k + ch;
        fm.write({{0x30 + op, mul[k]}, {0x40 + op, tl[k]}, {0x50 + op, 0x1F}});
    }
    fm.write({{0xB0 + ch, fb_alg}, {0xA4 + ch, 0x3C}, {0xA0 + ch, 0x00}});
    if (key) {
        fm.write(0x28, static_cast<uint8_t>(0xF0 | ch));
    }
}

TEST(fm_render, operators_modulation_and_feedback_give_the_worked_out_bytes) {
    // Feedback 7 (shift 2): frame 2 reads phase 0x800000 + (peak >> 2), index 1023; frame 3
    // phase 0xC00000 + ((second + peak) >> 2), on the negative half.
    const uint32_t phase = 0xC00000u + ((amplitude(sine_attenuation(1023)) + peak) >> 2);
    const auto third = static_cast<int32_t>((phase >> 13) & 0x7FF);
    ASSERT_GT(third, 1024);
    const samples feedback{sine_byte(512), sine_byte(1023), sine_byte(third)};
    // Algorithm 7: phase index 512, 1024, 1536, 0 of four peaks sum to 268435452 (127), four
    // troughs floor to -0x10000000 (-128). Quiet: operator 4 alone at attenuation 4031 is
    // below one step, floored to -1 when negative. Modulator, algorithm 4: operator 1 at its
    // peak moves operator 3 from index 128 to ((0x100000 + peak) >> 13) & 0x7FF = 127; next
    // frame operator 1 at index 1024 gives 0 and operator 3 is at index 256.
    const struct {
        const char* name;
        uint8_t fb_alg;
        std::array<uint8_t, 4> mul, tl;
        samples expected;
    } cases[] = {
        {"algorithm 7", 0x07, {4, 4, 4, 4}, {0, 0, 0, 0}, {127, 0, -128, 0, 127, 0, -128, 0}},
        {"quiet", 0x07, {4, 4, 4, 4}, {0x7F, 0x7F, 0x7F, 125}, {0, 0, -1, 0}},
        {"modulator", 0x04, {4, 0, 1, 0}, {0, 0x7F, 0, 0x7F}, {sine_byte(127), sine_byte(256)}},
        {"feedback", 0x3F, {4, 4, 4, 4}, {0, 0x7F, 0x7F, 0x7F}, feedback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fm_fixture fm(one_tick_clock);
        quarter_step_voice(fm, 0, c.fb_alg, c.mul, c.tl);
        const auto frames = fm.render(static_cast<int32_t>(c.expected.size()));
        EXPECT_EQ(frames.left, c.expected);
        EXPECT_EQ(frames.right, c.expected);
    }
}

TEST(fm_render, decay_climbs_one_attenuation_step_every_16_frames) {
    // At this clock the decay step of rate index 28 is exactly 4096: the envelope position
    // crosses an attenuation entry every 16 frames, on the frame itself.
    constexpr int32_t clock = 8349090;
    const double freq_base = clock / 44100.0 / 144;
    ASSERT_EQ(static_cast<int32_t>(64.0 * freq_base * 268435456.0 / 5514396), 4096);
    fm_fixture fm(clock);
    // Algorithm 7 with operators 2-4 silent; operator 1: MUL 1, AR 31 RS 0, D1R 14 (rate
    // index 28 at key scale 0), SL 15; block 1, F-number 1024 (key code 6).
    fm.writes({0xB0, 0x07, 0x44, 0x7F, 0x48, 0x7F, 0x4C, 0x7F, 0x30, 0x01, 0x50,
               0x1F, 0x60, 0x0E, 0x80, 0xF0, 0xA4, 0x0C, 0xA0, 0x00, 0x28, 0x10});
    constexpr int32_t frames = 2000;
    const auto out = fm.render(frames);
    const auto fnum_step = static_cast<uint32_t>(1024 * freq_base * 8.0 * 128.0 / 2.0);
    const uint32_t phase_step = (fnum_step >> 6) * 2;
    for (int32_t n = 1; n <= frames; ++n) {
        // Frame 1 ends the attack at full level; decay starts from the top on frame 2.
        const auto index = static_cast<int32_t>((n * phase_step >> 13) & 0x7FF);
        ASSERT_EQ(out.left[n - 1], sine_byte(index, n == 1 ? 0 : (n - 2) >> 4)) << "frame " << n;
    }
}

TEST(fm_render, pan_selects_the_outputs_and_zero_silences_a_running_channel) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 1, 0x07, {4, 4, 4, 4}, {0, 0, 0, 0});
    fm.write(0xB5, 0x80); // left only
    auto frames = fm.render(2);
    EXPECT_EQ(frames.left, (samples{127, 0}));
    EXPECT_EQ(frames.right, (samples{0, 0}));
    fm.write(0xB5, 0x00);
    EXPECT_EQ(fm.render(2).left, (samples{0, 0}));
    fm.write(0xB5, 0x40); // right only: the phases kept running
    EXPECT_EQ(fm.render(2).right, (samples{127, 0}));
}

TEST(fm_render, dac_replaces_channel_6) {
    fm_fixture fm;
    fm.write(0x2B, 0x80);
    const std::pair<uint8_t, int8_t> cases[] = {{0x80, 0}, {0xFF, 31}, {0x00, -32}, {0x81, 0}};
    for (const auto& [value, expected] : cases) {
        fm.write(0x2A, value);
        const auto frames = fm.render(3);
        EXPECT_EQ(frames.left, samples(3, expected)) << int(value);
        EXPECT_EQ(frames.right, samples(3, expected));
    }
    fm.write(0x1B6, 0x80); // channel 6 left only
    const auto frames = fm.render(1);
    EXPECT_EQ(frames.right[0], 0);
    EXPECT_EQ(frames.left[0], 0); // 0x81 adds 1 << 19, below one output step
    fm.write({{0x2B, 0x00}, {0x2A, 0xFF}});
    EXPECT_EQ(fm.render(1).left[0], 0);
}

TEST(fm_render, timer_a_overflow_keys_channel_3_on_again) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 2, 0x07, {4, 4, 4, 4}, {0, 0, 0, 0}, false);
    // Key-on mode also gives channel 3 per-operator frequencies: the same for all four.
    // Timer A 1023 is one tick, so it overflows after every frame.
    fm.writes({0xAC, 0x3C, 0xA8, 0x00, 0xAD, 0x3C, 0xA9, 0x00, 0xAE, 0x3C, 0xAA, 0x00, 0x24, 0xFF,
               0x25, 0x03, 0x27, 0x81});
    // Frame 1 silent; every overflow restarts the attack at phase 0, so each frame after
    // reads the peak.
    EXPECT_EQ(fm.render(5).left, (samples{0, 127, 127, 127, 127}));
    EXPECT_EQ(fm.channel(2).op[0].env_phase, env_attack);
}

TEST(fm_render, internal_timers_raise_the_interrupt_line) {
    fm_fixture fm(one_tick_clock);
    fm.write({{0x24, 0xFF}, {0x25, 0x03}});
    EXPECT_EQ(fm.write(0x27, 0x05), 0); // load A, flag A on overflow
    fm.render(1);
    EXPECT_EQ(fm.chip().state.status, 1);
    EXPECT_EQ(fm.write(0x27, 0x15), 0); // reset the flag, keep running
    EXPECT_EQ(fm.chip().state.irq, 0);
    fm.write({{0x26, 0xFF}, {0x27, 0x0A}}); // timer B: 16 ticks, counted once a call
    fm.render(15);
    EXPECT_EQ(fm.chip().state.status & 2, 0);
    fm.render(1);
    EXPECT_EQ(fm.chip().state.status & 2, 2);
    EXPECT_EQ(fm.chip().state.irq, 1);
}

struct timer_call {
    int32_t chip, timer, count;
    bool operator==(const timer_call&) const = default;
};
std::vector<timer_call> timer_calls;
void record_timer(int32_t chip, int32_t timer, int32_t count, double) {
    timer_calls.push_back({chip, timer, count});
}

TEST(fm_render, a_timer_handler_is_told_tick_counts_and_timers_stop_running_inside) {
    fm_fixture fm(one_tick_clock, 44100, 2, record_timer);
    timer_calls.clear();
    // Timer A 1: 1023 ticks; timer B 16: (256 - 16) x 16 ticks; a running timer is not
    // loaded again. The handler hears of B before A, on the load and the stop alike.
    fm.write({{0x24, 0x00}, {0x25, 0x01}, {0x26, 0x10}, {0x27, 0x07}, {0x27, 0x07}}, 1);
    fm.render(5000, 1);
    fm.write(0x27, 0x00, 1);
    EXPECT_EQ(timer_calls,
              (std::vector<timer_call>{{1, 1, 240 * 16}, {1, 0, 1023}, {1, 1, 0}, {1, 0, 0}}));
    EXPECT_EQ(fm.chip(1).state.status, 0);
}

TEST(fm_render, consecutive_calls_render_one_continuous_signal) {
    fm_fixture whole, split;
    for (fm_fixture* fm : {&whole, &split}) {
        // LFO, vibrato and tremolo on, every operator different.
        fm->write({{0x22, 0x0B}, {0xB4, 0xF7}, {0xB0, 0x3A}});
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t r = 4 * k;
            fm->writes({0x30 + r, 0x11 * (k + 1), 0x40 + r, 8 * k, 0x50 + r, 0x40 | (14 + k),
                        0x60 + r, 0x85, 0x70 + r, 0x03, 0x80 + r, 0x57});
        }
        fm->write({{0xA4, 0x22}, {0xA0, 0x69}, {0x28, 0xF0}});
    }
    const auto all = whole.render(3000);
    samples left;
    for (int32_t n : {1, 0, 255, 256, 257, 700, 1531}) {
        const auto part = split.render(n);
        left.insert(left.end(), part.left.begin(), part.left.end());
    }
    EXPECT_EQ(left, all.left);
    EXPECT_NE(all.left, samples(3000, 0));
}

} // namespace
} // namespace kavelo
