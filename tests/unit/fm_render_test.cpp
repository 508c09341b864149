// The FM core: chip life, key-on slots, the timers' interrupt line, pan and rendering in pieces
// that the reference renders (fm_preview_test.cpp) do not reach; those renders check the sound of
// every register, algorithm, the LFO, channel 3's frequencies and timer key-on, and the DAC. With a
// clock of 144 x 44100 Hz one chip tick is one frame, so F-number 1024 at block 7 with MUL 4
// advances the phase by exactly a quarter period a frame.

#include "fm/fm.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kavelo {
namespace {

using samples = std::vector<int8_t>;

constexpr int32_t one_tick_clock = 144 * 44100;

// A core with chips, with register writes by number.
struct fm_fixture {
    fm_core core;

    explicit fm_fixture(int32_t clock = 7670442) {
        EXPECT_EQ(fm_init(core, 1, clock, 44100, nullptr, nullptr), fm_init_done);
    }
    ~fm_fixture() { fm_shutdown(core); }

    // Register `reg` of part I (reg < 0x100) or part II (reg | 0x100); returns the IRQ line.
    uint8_t write(int32_t reg, uint8_t value) {
        const int32_t port = reg & 0x100 ? 2 : 0;
        fm_write(core, 0, port, static_cast<uint8_t>(reg));
        return fm_write(core, 0, port + 1, value);
    }
    void write(std::initializer_list<std::pair<int32_t, uint8_t>> writes) {
        for (const auto& [reg, value] : writes) {
            write(reg, value);
        }
    }
    fm_chip& chip() { return core.chips[0]; }
    fm_channel& channel(int32_t index) { return core.chips[0].channel[index]; }

    struct frames {
        samples left, right;
    };
    frames render(int32_t count) {
        frames out{samples(count), samples(count)};
        fm_update(core, 0, out.left, out.right, count);
        return out;
    }
};

TEST(fm_chip_life, init_twice_keeps_chips_and_bad_arguments_create_none) {
    fm_core core;
    // No chip, a negative clock, a rate too low, and a clock of more than 128 x 144 x the
    // rate, which is past the core's range.
    for (const auto& [count, clock, rate] : {std::array{0, 7670442, 44100},
                                             {1, -1, 44100},
                                             {1, 7670442, 100},
                                             {1, 815000000, 44100}}) {
        EXPECT_EQ(fm_init(core, count, clock, rate, nullptr, nullptr), fm_init_bad_arguments);
    }
    EXPECT_EQ(core.chips, nullptr);
    ASSERT_EQ(fm_init(core, 2, 7670442, 44100, nullptr, nullptr), fm_init_done);
    EXPECT_EQ(fm_init(core, 1, 8000000, 22050, nullptr, nullptr), fm_init_chips_exist);
    EXPECT_EQ(core.count, 2);
    EXPECT_EQ(core.chips[1].state.clock, 7670442);
    fm_shutdown(core);
    EXPECT_EQ(core.chips, nullptr);
    EXPECT_EQ(fm_init(core, 1, 812851200, 44100, nullptr, nullptr), fm_init_done);
    fm_shutdown(core);
}

TEST(fm_keys, key_on_slots_3_and_7_name_no_channel) {
    // Key-ons of real channels, whole and by operator, are heard in the reference renders.
    fm_fixture fm;
    fm.write({{0x28, 0xF3}, {0x28, 0xF7}});
    for (const fm_channel& ch : fm.chip().channel) {
        for (const fm_operator& o : ch.op) {
            EXPECT_EQ(o.env_phase, env_off);
        }
    }
    fm.write(0x28, 0xF4); // channel 4, the first of part II
    EXPECT_EQ(fm.channel(3).op[3].env_phase, env_attack);
}

// Channel `ch` (0-2 of part I): the algorithm, every operator at MUL `mul[k]`, TL `tl[k]`,
// AR 31 and no decay, F-number 1024 at block 7, keyed on.
void quarter_step_voice(fm_fixture& fm, int32_t ch, uint8_t fb_alg, std::array<uint8_t, 4> mul,
                        std::array<uint8_t, 4> tl) {
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t op = 4 * k + ch;
        fm.write({{0x30 + op, mul[k]}, {0x40 + op, tl[k]}, {0x50 + op, 0x1F}});
    }
    fm.write({{0xB0 + ch, fb_alg}, {0xA4 + ch, 0x3C}, {0xA0 + ch, 0x00}});
    fm.write(0x28, static_cast<uint8_t>(0xF0 | ch));
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

TEST(fm_render, consecutive_calls_render_one_continuous_signal) {
    fm_fixture whole, split;
    for (fm_fixture* fm : {&whole, &split}) {
        // LFO, vibrato and tremolo on, every operator different.
        fm->write({{0x22, 0x0B}, {0xB4, 0xF7}, {0xB0, 0x3A}});
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t values[] = {0x11 * (k + 1), 8 * k, 0x40 | (14 + k), 0x85, 0x03, 0x57};
            for (int32_t g = 0; g < 6; ++g) {
                fm->write(0x30 + 0x10 * g + 4 * k, static_cast<uint8_t>(values[g]));
            }
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
