// Rendered samples checked against values worked out by hand from the chip's formulas.
// With a clock of 144 x 44100 Hz one chip tick is one frame, so F-number 1024 at block 7
// with MUL 4 advances the phase by exactly a quarter period (0x400000) a frame.

#include "fm_test_support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kavelo {
namespace {

using test::fm_fixture;

constexpr int32_t one_tick_clock = 144 * 44100;

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

// Channel `ch` (0-2 of part I): the algorithm, every operator at MUL `mul[k]`, TL `tl[k]`,
// AR 31 and no decay, F-number 1024 at block 7, keyed on.
void quarter_step_voice(fm_fixture& fm, int32_t ch, uint8_t fb_alg, std::array<uint8_t, 4> mul,
                        std::array<uint8_t, 4> tl, bool key = true) {
    fm.write(0xB0 + ch, fb_alg);
    for (int32_t k = 0; k < 4; ++k) {
        fm.write(0x30 + 4 * k + ch, mul[k]);
        fm.write(0x40 + 4 * k + ch, tl[k]);
        fm.write(0x50 + 4 * k + ch, 0x1F);
    }
    fm.write(0xA4 + ch, 0x3C);
    fm.write(0xA0 + ch, 0x00);
    if (key) {
        fm.write(0x28, static_cast<uint8_t>(0xF0 | ch));
    }
}

TEST(fm_render, algorithm_7_four_carriers_reach_full_scale) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 0, 0x07, {4, 4, 4, 4}, {0, 0, 0, 0});
    const auto frames = fm.render(8);
    // Phase index 512, 1024, 1536, 0: four peaks sum to 268435452 (127); four troughs floor
    // to -0x10000000 (-128).
    const std::vector<int8_t> expected = {127, 0, -128, 0, 127, 0, -128, 0};
    EXPECT_EQ(frames.left, expected);
    EXPECT_EQ(frames.right, expected);
}

TEST(fm_render, a_quiet_negative_channel_reads_minus_one) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 0, 0x07, {4, 4, 4, 4}, {0x7F, 0x7F, 0x7F, 125});
    ASSERT_GT(amplitude(4031), 0);
    ASSERT_LT(amplitude(4031), 2097152);
    const auto frames = fm.render(4);
    EXPECT_EQ(frames.left, (std::vector<int8_t>{0, 0, -1, 0}));
}

TEST(fm_render, modulator_shifts_the_carrier_phase) {
    fm_fixture fm(one_tick_clock);
    // Algorithm 4: operator 1 -> operator 3 -> out; operators 2 and 4 silent.
    quarter_step_voice(fm, 0, 0x04, {4, 0x7F & 0, 1, 0}, {0, 0x7F, 0, 0x7F});
    const auto frames = fm.render(2);
    // Frame 1: operator 1 at its peak (67108863) moves operator 3 from index 128 to
    // ((0x100000 + 67108863) >> 13) & 0x7FF = 127.
    EXPECT_EQ(frames.left[0], output_byte(amplitude(sine_attenuation(127))));
    // Frame 2: operator 1 at index 1024 gives 0; operator 3 at index 256.
    EXPECT_EQ(frames.left[1], output_byte(amplitude(sine_attenuation(256))));
}

TEST(fm_render, feedback_feeds_operator_1_its_last_two_outputs) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 0, 0x38 | 7, {4, 4, 4, 4}, {0, 0x7F, 0x7F, 0x7F}); // FB 7: shift 2
    const auto frames = fm.render(3);
    const int32_t peak = 67108863;
    EXPECT_EQ(frames.left[0], output_byte(peak));
    // Frame 2: phase 0x800000 + (peak >> 2) has index 1023.
    const int32_t second = amplitude(sine_attenuation(1023));
    EXPECT_EQ(frames.left[1], output_byte(second));
    // Frame 3: phase 0xC00000 + ((second + peak) >> 2).
    const uint32_t phase = 0xC00000u + static_cast<uint32_t>((second + peak) >> 2);
    const int32_t index = (phase >> 13) & 0x7FF;
    ASSERT_GT(index, 1024); // the negative half
    EXPECT_EQ(frames.left[2], output_byte(-amplitude(sine_attenuation(2048 - index))));
}

TEST(fm_render, decay_climbs_one_attenuation_step_every_16_frames) {
    // At this clock the decay step of rate index 28 is exactly 4096: the envelope position
    // crosses an attenuation entry every 16 frames, on the frame itself.
    constexpr int32_t clock = 8349090;
    const double freq_base = clock / 44100.0 / 144;
    ASSERT_EQ(static_cast<int32_t>(64.0 * freq_base * 268435456.0 / 5514396), 4096);
    fm_fixture fm(clock);
    fm.write(0xB0, 0x07);
    for (int32_t k = 1; k < 4; ++k) {
        fm.write(0x40 + 4 * k, 0x7F);
    }
    fm.write(0x30, 0x01); // MUL 1
    fm.write(0x50, 0x1F); // AR 31, RS 0
    fm.write(0x60, 0x0E); // D1R 14: rate index 28 at key scale 0
    fm.write(0x80, 0xF0); // SL 15
    fm.write(0xA4, 0x0C); // block 1, F-number 1024: key code 6
    fm.write(0xA0, 0x00);
    fm.write(0x28, 0x10);
    constexpr int32_t frames = 2000;
    const auto out = fm.render(frames);
    const auto fnum_step = static_cast<uint32_t>(1024 * freq_base * 8.0 * 128.0 / 2.0);
    const uint32_t phase_step = (fnum_step >> 6) * 2;
    for (int32_t n = 1; n <= frames; ++n) {
        const int32_t index = static_cast<int32_t>((n * phase_step >> 13) & 0x7FF);
        // Frame 1 ends the attack at full level; decay starts from the top on frame 2.
        const int32_t e = n == 1 ? 0 : (n - 2) >> 4;
        int64_t value = 0;
        if (index != 0 && index != 1024) {
            const int32_t quarter =
                index < 1024 ? std::min(index, 1024 - index) : std::min(index - 1024, 2048 - index);
            const int32_t magnitude = amplitude(sine_attenuation(quarter) + e);
            value = index < 1024 ? magnitude : -magnitude;
        }
        ASSERT_EQ(out.left[n - 1], output_byte(value)) << "frame " << n;
    }
}

TEST(fm_render, pan_selects_the_outputs_and_zero_silences_a_running_channel) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 1, 0x07, {4, 4, 4, 4}, {0, 0, 0, 0});
    fm.write(0xB5, 0x80); // left only
    auto frames = fm.render(2);
    EXPECT_EQ(frames.left, (std::vector<int8_t>{127, 0}));
    EXPECT_EQ(frames.right, (std::vector<int8_t>{0, 0}));
    fm.write(0xB5, 0x00);
    frames = fm.render(2);
    EXPECT_EQ(frames.left, (std::vector<int8_t>{0, 0}));
    fm.write(0xB5, 0x40); // right only: the phases kept running
    frames = fm.render(2);
    EXPECT_EQ(frames.right, (std::vector<int8_t>{127, 0}));
}

TEST(fm_render, dac_replaces_channel_6) {
    fm_fixture fm;
    fm.write(0x2B, 0x80);
    const std::pair<uint8_t, int8_t> cases[] = {{0x80, 0}, {0xFF, 31}, {0x00, -32}, {0x81, 0}};
    for (const auto& [value, expected] : cases) {
        fm.write(0x2A, value);
        const auto frames = fm.render(3);
        EXPECT_EQ(frames.left, std::vector<int8_t>(3, expected)) << int(value);
        EXPECT_EQ(frames.right, std::vector<int8_t>(3, expected));
    }
    fm.write(0x1B6, 0x80); // channel 6 left only
    const auto frames = fm.render(1);
    EXPECT_EQ(frames.right[0], 0);
    EXPECT_EQ(frames.left[0], 0); // 0x81 adds 1 << 19, below one output step
    fm.write(0x2B, 0x00);
    fm.write(0x2A, 0xFF);
    EXPECT_EQ(fm.render(1).left[0], 0);
}

TEST(fm_render, timer_a_overflow_keys_channel_3_on_again) {
    fm_fixture fm(one_tick_clock);
    quarter_step_voice(fm, 2, 0x07, {4, 4, 4, 4}, {0, 0, 0, 0}, false);
    // Key-on mode also gives channel 3 per-operator frequencies: the same for all four.
    for (int32_t reg : {0xAC, 0xAD, 0xAE}) {
        fm.write(reg, 0x3C);
        fm.write(reg - 4, 0x00);
    }
    fm.write(0x24, 0xFF); // timer A 1023: one tick, so it overflows after every frame
    fm.write(0x25, 0x03);
    fm.write(0x27, 0x81);
    const auto frames = fm.render(5);
    // Frame 1 silent; every overflow restarts the attack at phase 0, so each frame after
    // reads the peak.
    EXPECT_EQ(frames.left, (std::vector<int8_t>{0, 127, 127, 127, 127}));
    EXPECT_EQ(fm.channel(2).op[0].env_phase, env_attack);
}

TEST(fm_render, internal_timers_raise_the_interrupt_line) {
    fm_fixture fm(one_tick_clock);
    fm.write(0x24, 0xFF);
    fm.write(0x25, 0x03);
    EXPECT_EQ(fm.write(0x27, 0x05), 0); // load A, flag A on overflow
    fm.render(1);
    EXPECT_EQ(fm.chip().state.status, 1);
    EXPECT_EQ(fm.write(0x27, 0x15), 0); // reset the flag, keep running
    EXPECT_EQ(fm.chip().state.irq, 0);

    fm.write(0x26, 0xFF); // timer B: 16 ticks, counted once a call
    fm.write(0x27, 0x0A);
    fm.render(15);
    EXPECT_EQ(fm.chip().state.status & 2, 0);
    fm.render(1);
    EXPECT_EQ(fm.chip().state.status & 2, 2);
    EXPECT_EQ(fm.chip().state.irq, 1);
}

struct timer_call {
    int32_t chip, timer, count;
};
std::vector<timer_call> timer_calls;
void record_timer(int32_t chip, int32_t timer, int32_t count, double) {
    timer_calls.push_back({chip, timer, count});
}

TEST(fm_render, a_timer_handler_is_told_tick_counts_and_timers_stop_running_inside) {
    timer_calls.clear();
    fm_fixture fm(one_tick_clock, 44100, 2, record_timer);
    timer_calls.clear();
    fm.write(0x24, 0x00, 1);
    fm.write(0x25, 0x01, 1); // timer A 1: 1023 ticks
    fm.write(0x26, 0x10, 1); // timer B 16: (256 - 16) * 16 ticks
    fm.write(0x27, 0x07, 1);
    fm.write(0x27, 0x07, 1); // a running timer is not loaded again
    fm.render(5000, 1);
    fm.write(0x27, 0x00, 1);
    ASSERT_EQ(timer_calls.size(), 4u);
    EXPECT_EQ(timer_calls[0].timer, 1);
    EXPECT_EQ(timer_calls[0].count, 240 * 16);
    EXPECT_EQ(timer_calls[1].timer, 0);
    EXPECT_EQ(timer_calls[1].count, 1023);
    EXPECT_EQ(timer_calls[2].count, 0);
    EXPECT_EQ(timer_calls[3].count, 0);
    EXPECT_EQ(timer_calls[3].chip, 1);
    EXPECT_EQ(fm.chip(1).state.status, 0);
}

TEST(fm_render, consecutive_calls_render_one_continuous_signal) {
    fm_fixture whole, split;
    for (fm_fixture* fm : {&whole, &split}) {
        fm->write(0x22, 0x0B); // LFO, vibrato and tremolo
        fm->write(0xB4, 0xF7);
        fm->write(0xB0, 0x3A);
        for (int32_t k = 0; k < 4; ++k) {
            fm->write(0x30 + 4 * k, static_cast<uint8_t>(0x11 * (k + 1)));
            fm->write(0x40 + 4 * k, static_cast<uint8_t>(8 * k));
            fm->write(0x50 + 4 * k, static_cast<uint8_t>(0x40 | (14 + k)));
            fm->write(0x60 + 4 * k, 0x85);
            fm->write(0x70 + 4 * k, 0x03);
            fm->write(0x80 + 4 * k, 0x57);
        }
        fm->write(0xA4, 0x22);
        fm->write(0xA0, 0x69);
        fm->write(0x28, 0xF0);
    }
    const auto all = whole.render(3000);
    std::vector<int8_t> left;
    for (int32_t n : {1, 0, 255, 256, 257, 700, 1531}) {
        const auto part = split.render(n);
        left.insert(left.end(), part.left.begin(), part.left.end());
    }
    EXPECT_EQ(left, all.left);
    EXPECT_NE(all.left, std::vector<int8_t>(3000, 0));
}

} // namespace
} // namespace kavelo
