// The FM tables against the values the chip's formulas give at the preview's rates.

#include "fm/fm.h"
#include "fm/fm_tables.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(fm_tables, level_table_has_stated_values_and_zero_regions) {
    const auto& level = fm_shared_tables().level_table;
    EXPECT_EQ(level[0], 67108863);
    EXPECT_EQ(level[256], 33634105);
    EXPECT_EQ(level[4094], 1069);
    EXPECT_EQ(level[8192], -67108863);
    EXPECT_EQ(level[8192 + 4094], -1069);
    for (int32_t i : {4095, 6000, 8191, 8192 + 4095, 8192 + 6000, 16383}) {
        EXPECT_EQ(level[i], 0) << i;
    }
}

TEST(fm_tables, sine_table_peaks_and_zero_crossings) {
    const auto& sine = fm_shared_tables().sine_table;
    EXPECT_EQ(sine[0], 4095);
    EXPECT_EQ(sine[1024], 4095);
    EXPECT_EQ(sine[1], 2144);
    EXPECT_EQ(sine[1023], 2144);
    EXPECT_EQ(sine[256], 128);
    EXPECT_EQ(sine[511], 0);
    EXPECT_EQ(sine[512], 0);
    EXPECT_EQ(sine[1536], 8192);
    EXPECT_EQ(sine[1025], 8192 + 2144);
    EXPECT_EQ(sine[2047], 8192 + 2144);
}

TEST(fm_tables, attenuation_curve_attack_decay_and_off) {
    const auto& curve = fm_shared_tables().attenuation_curve;
    EXPECT_EQ(curve[0], 4088);
    EXPECT_EQ(curve[512], 1404);
    EXPECT_EQ(curve[2048], 15);
    EXPECT_EQ(curve[4095], 0);
    EXPECT_EQ(curve[4096], 0);
    EXPECT_EQ(curve[4096 + 1234], 1234);
    EXPECT_EQ(curve[8191], 4095);
    EXPECT_EQ(curve[8192], 4095);
}

fm_chip preview_rate_chip(int32_t clock = 7670442, int32_t rate = 44100) {
    fm_chip chip{};
    chip.state.clock = clock;
    chip.state.rate = rate;
    fm_chip_setup(chip, 144, 144);
    return chip;
}

TEST(fm_tables, chip_tables_at_preview_rates) {
    const fm_chip chip = preview_rate_chip();
    const fm_state& s = chip.state;
    EXPECT_NEAR(s.freq_base, 1.20786753590325, 1e-13);
    EXPECT_NEAR(s.timer_base, 1.8773e-05, 1e-9);
    EXPECT_EQ(s.attack_steps[4], 812);
    EXPECT_EQ(s.attack_steps[61], 13309659);
    EXPECT_EQ(s.attack_steps[62], 0x0FFFFFFF);
    EXPECT_EQ(s.attack_steps[93], 0x0FFFFFFF);
    EXPECT_EQ(s.decay_steps[4], 58);
    for (int32_t i = 60; i < 94; ++i) {
        EXPECT_EQ(s.decay_steps[i], 963343) << i;
    }
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s.attack_steps[i], 0);
        EXPECT_EQ(s.decay_steps[i], 0);
    }
    EXPECT_EQ(chip.fnum_steps[1], 618u);
    EXPECT_EQ(chip.fnum_steps[2047], 1265922u);
    EXPECT_EQ(chip.lfo_steps[0], 404272u);
    EXPECT_EQ(chip.lfo_steps[7], 7333783u);
    EXPECT_EQ(s.detune_steps[3][0], 19);
    EXPECT_EQ(s.detune_steps[3][31], 212);
    EXPECT_EQ(s.detune_steps[7][31], -212);
    EXPECT_EQ(s.detune_steps[0][31], 0);
    EXPECT_EQ(s.detune_steps[4][31], 0);
}

TEST(fm_tables, rate_zero_gives_zero_steps) {
    const fm_chip chip = preview_rate_chip(7670442, 0);
    EXPECT_EQ(chip.state.freq_base, 0.0);
    EXPECT_EQ(chip.state.timer_base, 0.0);
    EXPECT_EQ(chip.fnum_steps[2047], 0u);
    EXPECT_EQ(chip.lfo_steps[7], 0u);
    EXPECT_EQ(chip.state.decay_steps[60], 0);
    EXPECT_EQ(chip.state.detune_steps[3][31], 0);
}

TEST(fm_tables, constant_tables) {
    EXPECT_EQ(sustain_level_table[0], 0x10000000);
    EXPECT_EQ(sustain_level_table[14], 0x10000000 + 14 * 0x800000);
    EXPECT_EQ(sustain_level_table[15], 0x1F800000);
    EXPECT_EQ(lfo_triangle[0], 0);
    EXPECT_EQ(lfo_triangle[255], 65280);
    EXPECT_EQ(lfo_triangle[256], 65536);
    EXPECT_EQ(lfo_triangle[511], 256);
}

TEST(fm_tables, truncation_wraps_to_32_bits) {
    EXPECT_EQ(truncate_wrapped(-1.9), -1);
    EXPECT_EQ(truncate_wrapped(4294967296.0 + 5.7), 5);
    EXPECT_EQ(truncate_wrapped(2147483648.0), INT32_MIN);
    EXPECT_EQ(truncate_wrapped(1.0 / 0.0), 0);
}

TEST(fm_tables, vibrato_depth_by_pms) {
    fm_core core;
    ASSERT_EQ(fm_init(core, 1, 7670442, 44100, nullptr, nullptr), fm_init_done);
    const int32_t expected[8] = {0, 4, 8, 12, 17, 25, 51, 102};
    for (int32_t pms = 0; pms < 8; ++pms) {
        fm_write(core, 0, 0, 0xB4);
        fm_write(core, 0, 1, static_cast<uint8_t>(0xC0 | pms));
        EXPECT_EQ(core.chips[0].channel[0].pm_depth, expected[pms]) << pms;
    }
}

} // namespace
} // namespace kavelo
