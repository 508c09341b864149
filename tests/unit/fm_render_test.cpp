// The FM core: chip life, the register and key on/off rules, timers, pan and rendering in
// pieces that the reference renders (fm_preview_test.cpp) do not reach; those renders check
// the sound of every field, algorithm, the LFO, channel 3's frequencies and the DAC. With a clock
// of 144 x 44100 Hz one chip tick is one frame, so F-number 1024 at block 7 with MUL 4 advances the
// phase by exactly a quarter period a frame.

#include "fm/fm.h"
#include "fm/fm_tables.h"

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

    explicit fm_fixture(int32_t clock = 7670442, int32_t count = 1,
                        fm_timer_handler timer = nullptr) {
        EXPECT_EQ(fm_init(core, count, clock, 44100, timer, nullptr), fm_init_done);
    }
    ~fm_fixture() { fm_shutdown(core); }

    // Register `reg` of part I (reg < 0x100) or part II (reg | 0x100); returns the IRQ line.
    uint8_t write(int32_t reg, uint8_t value, int32_t chip = 0) {
        const int32_t port = reg & 0x100 ? 2 : 0;
        fm_write(core, chip, port, static_cast<uint8_t>(reg));
        return fm_write(core, chip, port + 1, value);
    }
    void write(std::initializer_list<std::pair<int32_t, uint8_t>> writes, int32_t chip = 0) {
        for (const auto& [reg, value] : writes) {
            write(reg, value, chip);
        }
    }
    fm_chip& chip(int32_t index = 0) { return core.chips[index]; }
    fm_channel& channel(int32_t index) { return core.chips[0].channel[index]; }

    struct frames {
        samples left, right;
    };
    frames render(int32_t count, int32_t chip = 0) {
        frames out{samples(count), samples(count)};
        fm_update(core, chip, out.left, out.right, count);
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

// The fields a register write sets, of every channel and operator.
std::vector<int64_t> register_fields(const fm_chip& chip) {
    std::vector<int64_t> fields{chip.ch3[0].block_fnum, chip.ch3[0].freq_step, chip.lfo_step,
                                chip.dac_enable};
    for (const fm_channel& c : chip.channel) {
        fields.insert(fields.end(), {c.freq_step, c.block_fnum, c.algorithm, c.pan});
        for (const fm_operator& o : c.op) {
            fields.insert(fields.end(), {o.total_level, o.phase_step, o.attack_rate,
                                         o.sustain_level, o.env_phase, o.multiple, o.am_on});
        }
    }
    return fields;
}

TEST(fm_ports, registers_with_channel_bits_3_and_unknown_groups_change_nothing) {
    fm_fixture fm;
    const std::vector<int64_t> before = register_fields(fm.chip());
    for (int32_t reg : {0x33, 0x47, 0x5B, 0x8F, 0xA3, 0xA7, 0xAB, 0xB3, 0xB7, 0xB8, 0xBD, 0xC0,
                        0x10, 0x21, 0x23, 0x29, 0x2C}) {
        fm.write({{reg, 0xFF}, {reg | 0x100, 0xFF}});
    }
    // The global registers cannot be reached through part II, nor channel 3's per-operator
    // frequencies, which exist in part I only.
    fm.write({{0x128, 0xF0}, {0x12B, 0x80}, {0x122, 0x0F}, {0x1AC, 0x3F}, {0x1A8, 0xFF}});
    EXPECT_EQ(register_fields(fm.chip()), before);
}

TEST(fm_operator_registers, frequency_latch_takes_effect_with_the_low_byte) {
    fm_fixture fm;
    const fm_chip& chip = fm.chip();
    fm.write(0xA0, 0x84);
    EXPECT_EQ(fm.channel(0).freq_step, chip.fnum_steps[0x84] >> 7);
    fm.write(0xA4, 0x12); // block 2, F-number bits 8-10 = 2
    EXPECT_EQ(fm.channel(0).freq_step, chip.fnum_steps[0x84] >> 7);
    fm.write(0xA0, 0x84);
    EXPECT_EQ(fm.channel(0).freq_step, chip.fnum_steps[644] >> 5);
    EXPECT_EQ(fm.channel(0).key_code, 2 << 2); // F-number 644: bits 7-10 = 5, class 0
    fm.write(0xA0, 0x00);                      // reuses the latched block and high bits
    EXPECT_EQ(fm.channel(0).freq_step, chip.fnum_steps[512] >> 5);
    fm.write({{0xA4, 0x3C}, {0xA0, 0x4C}}); // block 7, F-number 1100: bits 7-10 = 8, class 2
    EXPECT_EQ(fm.channel(0).freq_step, chip.fnum_steps[1100]);
    EXPECT_EQ(fm.channel(0).key_code, (7 << 2) | 2);
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

TEST(fm_keys, key_on_during_attack_changes_nothing_and_key_off_keeps_the_attenuation) {
    fm_fixture fm;
    fm.write({{0x50, 0x0A}, {0x28, 0x10}}); // AR 10 on operator 1 of channel 1, keyed on
    fm.render(50);
    fm_operator& o = fm.channel(0).op[0];
    ASSERT_EQ(o.env_phase, env_attack);
    const uint32_t phase = o.phase;
    const int32_t counter = o.env_counter;
    ASSERT_GT(counter, 0);
    fm.write(0x28, 0x10);
    EXPECT_EQ(o.phase, phase);
    EXPECT_EQ(o.env_counter, counter);

    const int32_t attenuation = fm_shared_tables().attenuation_curve[counter >> 16];
    fm.write(0x28, 0x00);
    EXPECT_EQ(o.env_phase, env_release);
    EXPECT_EQ(o.env_counter, (attenuation << 16) + env_attack_end);
    EXPECT_EQ(o.env_end, env_bottom);
    EXPECT_EQ(o.env_step, o.release_step);
    fm.write(0x28, 0x00); // a second key-off leaves the release alone
    EXPECT_EQ(o.env_counter, (attenuation << 16) + env_attack_end);
}

TEST(fm_keys, channel_3_total_level_waits_in_timer_key_on_mode) {
    fm_fixture fm;
    fm.write({{0x27, 0x80}, {0x42, 0x20}});
    EXPECT_EQ(fm.channel(2).op[0].total_level, 1032);
    EXPECT_EQ(fm.channel(2).op[0].level, 0);
    fm.write(0x28, 0xF2); // channel 3 ignores key-on in this mode
    EXPECT_EQ(fm.channel(2).op[0].env_phase, env_off);
    fm.write(0x41, 0x20); // channel 2 is not held
    EXPECT_EQ(fm.channel(1).op[0].level, 1032);
    fm.write(0xA2, 0x10); // a refresh of channel 3 applies the total level
    fm.render(0);
    EXPECT_EQ(fm.channel(2).op[0].level, 1032);
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

struct timer_call {
    int32_t chip, timer, count;
    bool operator==(const timer_call&) const = default;
};
std::vector<timer_call> timer_calls;
void record_timer(int32_t chip, int32_t timer, int32_t count, double) {
    timer_calls.push_back({chip, timer, count});
}

TEST(fm_render, a_timer_handler_is_told_tick_counts_and_timers_stop_running_inside) {
    fm_fixture fm(one_tick_clock, 2, record_timer);
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
