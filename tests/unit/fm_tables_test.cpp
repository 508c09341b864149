// The FM tables against the values the chip's formulas give at the preview's rates.

#include "fm/fm_tables.h"
#include "fm_test_support.h"

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
    EXPECT_EQ((std::vector<int64_t>{s.attack_steps[3], s.attack_steps[4], s.attack_steps[61],
                                    s.attack_steps[62], s.decay_steps[4], s.decay_steps[93],
                                    chip.fnum_steps[2047], chip.lfo_steps[7], s.detune_steps[3][31],
                                    s.detune_steps[7][31]}),
              (std::vector<int64_t>{0, 812, 13309659, 0x0FFFFFFF, 58, 963343, 1265922, 7333783, 212,
                                    -212}));
}

TEST(fm_tables, vibrato_depth_by_pms) {
    test::fm_fixture fm;
    const int32_t expected[8] = {0, 4, 8, 12, 17, 25, 51, 102};
    for (int32_t pms = 0; pms < 8; ++pms) {
        fm.write(0xB4, static_cast<uint8_t>(0xC0 | pms));
        EXPECT_EQ(fm.channel(0).pm_depth, expected[pms]) << pms;
    }
}

} // namespace
} // namespace kavelo
