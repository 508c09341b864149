// The FM tables against the values the chip's formulas give at the preview's rates.

#include "fm/fm.h"
#include "fm/fm_tables.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

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
    EXPECT_EQ(s.attack_steps[3], 0);
    EXPECT_EQ(s.attack_steps[4], 812);
    EXPECT_EQ(s.attack_steps[61], 13309659);
    EXPECT_EQ(s.attack_steps[62], 0x0FFFFFFF);
    EXPECT_EQ(s.decay_steps[4], 58);
    EXPECT_EQ(s.decay_steps[93], 963343);
    EXPECT_EQ(chip.fnum_steps[2047], 1265922u);
    EXPECT_EQ(chip.lfo_steps[7], 7333783u);
    EXPECT_EQ(s.detune_steps[3][31], 212);
    EXPECT_EQ(s.detune_steps[7][31], -212);
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
    fm_shutdown(core);
}

} // namespace
} // namespace kavelo
