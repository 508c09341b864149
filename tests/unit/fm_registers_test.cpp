// Port decoding, the operator and channel registers, the key on/off rules and the FM tables
// against the values the chip's formulas give at the preview's rates.

#include "fm/fm_tables.h"
#include "fm_test_support.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using test::fm_fixture;

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

TEST(fm_chip_life, reset_state_is_silent_with_both_outputs) {
    fm_fixture fm;
    for (const fm_channel& ch : fm.chip().channel) {
        EXPECT_EQ(ch.pan, 3);
        EXPECT_EQ(ch.algorithm, 0);
        EXPECT_EQ(ch.routes[3], route_both);
        for (const fm_operator& o : ch.op) {
            EXPECT_EQ(o.env_phase, env_off);
            EXPECT_EQ(o.env_counter, env_bottom);
        }
    }
    const auto frames = fm.render(1000);
    EXPECT_EQ(frames.left, std::vector<int8_t>(1000, 0));
    EXPECT_EQ(frames.right, std::vector<int8_t>(1000, 0));
}

TEST(fm_ports, port_number_counts_modulo_four) {
    fm_fixture fm;
    fm_write(fm.core, 0, 0x4000, 0x40); // address, part I
    fm_write(fm.core, 0, 0x4005, 0x10); // data, part I
    EXPECT_EQ(fm.channel(0).op[0].total_level, ((0x10 << 7) | 0x10) >> 2);
    fm_write(fm.core, 0, 6, 0x41);  // address, part II
    fm_write(fm.core, 0, 11, 0x7F); // data, part II: channel 5
    EXPECT_EQ(fm.channel(4).op[0].total_level, 4095);
    EXPECT_EQ(fm.channel(1).op[0].total_level, 0);
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
    EXPECT_EQ(std::vector<int64_t>(before.begin(), before.begin() + 4), std::vector<int64_t>(4, 0));
}

TEST(fm_operator_registers, total_level_feedback_and_multiple) {
    fm_fixture fm;
    const std::pair<uint8_t, int32_t> levels[] = {{0, 0},       {1, 32},      {2, 64},
                                                  {0x40, 2064}, {0x7F, 4095}, {0xFF, 4095}};
    for (const auto& [tl, expected] : levels) {
        fm.write(0x4C, tl);
        EXPECT_EQ(fm.channel(0).op[3].total_level, expected) << int(tl);
        EXPECT_EQ(fm.channel(0).op[3].level, expected);
    }
    const std::pair<uint8_t, uint8_t> feedback[] = {{0x38, 2}, {0x08, 8}, {0x07, 0}};
    for (const auto& [value, shift] : feedback) {
        fm.write(0xB1, value);
        EXPECT_EQ(fm.channel(1).feedback_shift, shift);
    }
    fm.write(0x38, 0x70); // DT 7, MUL 0
    EXPECT_EQ(fm.channel(0).op[2].multiple, 1);
    EXPECT_EQ(fm.channel(0).op[2].detune, 7);
    EXPECT_EQ(fm.channel(0).op[0].phase_step, -1); // the channel is stale until rendered
    fm.render(0);
    EXPECT_NE(fm.channel(0).op[0].phase_step, -1);
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

TEST(fm_operator_registers, am_bit_takes_the_channel_depth_when_ams_arrives) {
    fm_fixture fm;
    fm.write(0x60, 0x85); // AM on, D1R 5, operator 1 of channel 1
    EXPECT_EQ(fm.channel(0).op[0].am_on, 1);
    EXPECT_EQ(fm.channel(0).op[0].am_depth, 0);
    fm.write(0xB4, 0xF0); // AMS 3
    EXPECT_EQ(fm.channel(0).op[0].am_depth, 503);
    EXPECT_EQ(fm.channel(0).op[1].am_depth, 0);
    fm.write(0xB4, 0x10);
    EXPECT_EQ(fm.channel(0).op[0].am_depth, 59);
    EXPECT_EQ(fm.channel(0).pan, 0);
    EXPECT_EQ(fm.channel(0).routes[3], route_discard);
}

TEST(fm_operator_registers, routes_follow_algorithm_and_pan) {
    fm_fixture fm;
    fm.write({{0xB4, 0x80}, {0xB0, 5}}); // left only, algorithm 5
    EXPECT_EQ(fm.channel(0).routes,
              (std::array<uint8_t, 4>{route_all_inputs, route_left, route_left, route_left}));
    fm.write(0xB0, 2);
    EXPECT_EQ(fm.channel(0).routes,
              (std::array<uint8_t, 4>{route_in4, route_in2, route_in4, route_left}));
    fm.write(0xB4, 0x40); // right only
    EXPECT_EQ(fm.channel(0).routes[3], route_right);
}

// The envelope phase of each operator, channel by channel in register order.
std::vector<uint8_t> env_phases(const fm_chip& chip) {
    std::vector<uint8_t> phases;
    for (const fm_channel& ch : chip.channel) {
        for (const fm_operator& o : ch.op) {
            phases.push_back(o.env_phase);
        }
    }
    return phases;
}

TEST(fm_keys, key_on_off_by_channel_and_operator) {
    fm_fixture fm;
    fm.write({{0x28, 0xF3}, {0x28, 0xF7}}); // channel bits 3 and 7 name no channel
    std::vector<uint8_t> expected(24, env_off);
    EXPECT_EQ(env_phases(fm.chip()), expected);
    fm.write(0x28, 0x50); // bit 4 operator 1, bit 6 operator 2
    expected[0] = expected[1] = env_attack;
    EXPECT_EQ(env_phases(fm.chip()), expected);
    fm.write(0x28, 0xF4); // channel 4, the first of part II
    std::fill_n(expected.begin() + 12, 4, env_attack);
    EXPECT_EQ(env_phases(fm.chip()), expected);
    for (const fm_operator& o : fm.channel(3).op) {
        EXPECT_EQ(o.env_counter, 0);
        EXPECT_EQ(o.env_end, env_attack_end);
    }
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

TEST(fm_tables, shared_tables_at_their_edges) {
    const fm_tables& t = fm_shared_tables();
    const std::pair<int32_t, int32_t> level[] = {{0, 67108863}, {256, 33634105},   {4094, 1069},
                                                 {4095, 0},     {8192, -67108863}, {16383, 0}};
    for (const auto& [i, value] : level) {
        EXPECT_EQ(t.level_table[i], value) << "level " << i;
    }
    const std::pair<int32_t, int32_t> sine[] = {{0, 4095}, {1, 2144},           {256, 128},
                                                {512, 0},  {1025, 8192 + 2144}, {1536, 8192}};
    for (const auto& [i, value] : sine) {
        EXPECT_EQ(t.sine_table[i], value) << "sine " << i;
    }
    const std::pair<int32_t, int32_t> curve[] = {
        {0, 4088}, {512, 1404}, {4095, 0}, {4096 + 1234, 1234}, {8192, 4095}};
    for (const auto& [i, value] : curve) {
        EXPECT_EQ(t.attenuation_curve[i], value) << "curve " << i;
    }
    EXPECT_EQ(truncate_wrapped(4294967296.0 + 5.7), 5);
    EXPECT_EQ(truncate_wrapped(1.0 / 0.0), 0);
}

TEST(fm_tables, chip_steps_at_the_preview_rate) {
    fm_chip chip{};
    chip.state.clock = 7670442;
    chip.state.rate = 44100;
    fm_chip_setup(chip, 144, 144);
    const fm_state& s = chip.state;
    EXPECT_NEAR(s.freq_base, 1.20786753590325, 1e-13);
    EXPECT_NEAR(s.timer_base, 1.8773e-05, 1e-9);
    EXPECT_EQ((std::vector<int64_t>{s.attack_steps[3], s.attack_steps[4], s.attack_steps[61],
                                    s.attack_steps[62], s.decay_steps[4], s.decay_steps[93],
                                    chip.fnum_steps[2047], chip.lfo_steps[7], s.detune_steps[3][31],
                                    s.detune_steps[7][31]}),
              (std::vector<int64_t>{0, 812, 13309659, 0x0FFFFFFF, 58, 963343, 1265922, 7333783, 212,
                                    -212}));
}

TEST(fm_lfo, bit_3_switches_the_lfo_and_pms_sets_the_vibrato_depth) {
    fm_fixture fm;
    fm.write(0x22, 0x0F);
    EXPECT_EQ(fm.chip().lfo_step, fm.chip().lfo_steps[7]);
    fm.write(0x22, 0x07);
    EXPECT_EQ(fm.chip().lfo_step, 0u);
    const int32_t expected[8] = {0, 4, 8, 12, 17, 25, 51, 102};
    for (int32_t pms = 0; pms < 8; ++pms) {
        fm.write(0xB4, static_cast<uint8_t>(0xC0 | pms));
        EXPECT_EQ(fm.channel(0).pm_depth, expected[pms]) << pms;
    }
}

} // namespace
} // namespace kavelo
