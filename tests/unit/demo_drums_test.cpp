// The demo drums fit where the game keeps its DAC program, the kit finder takes them, and
// each is loud, decays and rests at the centre (lengths and pitches: track_vgm_test).

#include "drums/demo_drums.h"
#include "drums/dpcm.h"
#include "drums/drum_kit.h"
#include "drums/drum_player.h"
#include "drums/drum_synth.h"
#include "track_rom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

int32_t peak(std::span<const uint8_t> values) {
    int32_t most = 0;
    for (const uint8_t v : values) {
        most = std::max(most, std::abs(v - 128));
    }
    return most;
}

double rms(std::span<const uint8_t> values) {
    double sum = 0;
    for (const uint8_t v : values) {
        sum += (v - 128.0) * (v - 128.0);
    }
    return std::sqrt(sum / static_cast<double>(values.size()));
}

drum_kit demo_kit() {
    EXPECT_LE(make_demo_dac_program().size(), dac_program_max_packed);
    drum_kit kit;
    const op_result found = find_drum_kit(test::make_track_rom({}, true), kit);
    EXPECT_TRUE(found.done()) << found.problem;
    return kit;
}

TEST(demo_drums, every_sound_is_loud_without_clipping_decays_and_ends_at_the_centre) {
    const drum_kit kit = demo_kit();
    EXPECT_EQ(kit.long_pcm, make_demo_long_sample());
    const std::array<bytes, 4> sounds = {dpcm_decode(kit.dpcm[0]), dpcm_decode(kit.dpcm[1]),
                                         dpcm_decode(kit.dpcm[2]), kit.long_pcm};
    const std::array<const char*, 4> names = {"kick", "snare", "timpani", "long sample"};
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const bytes& s = sounds[i];
        ASSERT_FALSE(s.empty());
        EXPECT_GE(peak(s), 85);
        EXPECT_LE(peak(s), 120);
        const std::size_t quarter = s.size() / 4;
        const std::span<const uint8_t> all(s);
        EXPECT_GT(rms(all.first(quarter)), 4 * rms(all.last(quarter)));
        EXPECT_GT(rms(all.first(quarter)), 15.0);
        // The DAC holds the last value: it must be the centre, so nothing clicks later.
        EXPECT_EQ(s.back(), 0x80);
        EXPECT_EQ(peak(all.last(8)), 0);
    }
}

TEST(demo_drums, levels_round_half_away_from_the_centre_and_clamp_to_the_dac) {
    const struct {
        int64_t level;
        int32_t peak;
        uint8_t dac;
    } cases[] = {{0, 100, 128},     {16383, 1, 128},  {16384, 1, 129},   {-16384, 1, 127},
                 {32768, 127, 255}, {-32768, 127, 1}, {32768, 200, 255}, {-32768, 200, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(to_dac(c.level, c.peak), c.dac) << c.level << " x " << c.peak;
    }
}

} // namespace
} // namespace kavelo
