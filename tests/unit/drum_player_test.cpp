// The drum player against small kits whose values show which sample plays and when.

#include "drums/drum_player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

constexpr double frame_cycles = 3579545.0 / 44100.0;

int16_t level(uint8_t dac) {
    return static_cast<int16_t>((dac - 128) * 256);
}

// A sample whose first nibble steps away from the centre, the rest holding that value.
bytes holding(std::size_t length, uint8_t first_byte) {
    bytes sample(length, 0x00);
    sample[0] = first_byte;
    return sample;
}

// kick holds 0xA0, snare 0xC0, timpani 0x90; the long sample is 0xB0 throughout.
drum_kit holding_kit(std::size_t dpcm_length = 850) {
    drum_kit kit;
    kit.dpcm = {holding(dpcm_length, 0x60), holding(dpcm_length, 0x70), holding(dpcm_length, 0x50)};
    kit.pitch = {0x17, 0x01, 0x1B};
    kit.long_pcm = bytes(27000, 0xB0);
    return kit;
}

std::vector<int16_t> render(drum_player& player, std::size_t frames) {
    std::vector<int16_t> out(frames);
    player.render(out);
    return out;
}

// Each trigger followed by its frames, all the frames in one vector.
std::vector<int16_t> play(drum_player& player,
                          std::initializer_list<std::pair<uint8_t, std::size_t>> steps) {
    std::vector<int16_t> out;
    for (const auto& [trigger, frames] : steps) {
        player.trigger(trigger);
        const std::vector<int16_t> more = render(player, frames);
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

// Frames rendered one at a time until the sample has ended.
int32_t frames_playing(drum_player& player) {
    int32_t frames = 0;
    do {
        render(player, 1);
        ++frames;
    } while (player.playing() && frames < 200000);
    return frames;
}

TEST(drum_player, samples_last_as_long_as_their_nominal_rates_say) {
    struct timing {
        const char* name;
        int32_t timpani_pitch; // -1: the kit's own
        uint8_t handed_over;
        std::size_t values;
        double rate; // Hz
    };
    const std::vector<timing> cases = {
        {"kick at 0x17", -1, 0x81, 1700, 8200.6},
        {"snare at 0x01", -1, 0x82, 1700, 23784.4},
        {"timpani at 0x12", 0x12, 0x83, 1700, 9635.4},
        {"timpani at 0 (256)", 0x00, 0x83, 1700, 2 * 3579545.0 / (301 + 26 * 255)},
        {"kick keeps its pitch when the timpani's changes", 0x12, 0x81, 1700, 8200.6},
        {"long sample", -1, 0x87, 27000, 16270.7},
    };
    for (const timing& c : cases) {
        SCOPED_TRACE(c.name);
        drum_player player(holding_kit());
        if (c.timpani_pitch >= 0) {
            player.set_timpani_pitch(static_cast<uint8_t>(c.timpani_pitch));
        }
        player.trigger(c.handed_over);
        EXPECT_NEAR(frames_playing(player), c.values / c.rate * 44100.0, 1.0);
    }
}

TEST(drum_player, each_frame_averages_the_dac_values_over_its_time) {
    // Snare (p = 1) bytes 7F: 0xC0 for the byte's first 124 cycles, 0x80 for its last 177.
    drum_kit kit = holding_kit();
    kit.dpcm[1] = bytes(200, 0x7F);
    drum_player player(kit);
    player.trigger(0x82);
    const std::vector<int16_t> out = render(player, 600);
    for (std::size_t frame = 0; frame < out.size(); ++frame) {
        const double start = static_cast<double>(frame) * frame_cycles;
        const double end = start + frame_cycles;
        double high = 0; // cycles of 0xC0 inside the frame
        for (int64_t byte = static_cast<int64_t>(start / 301); byte * 301 < end; ++byte) {
            const double from = std::max(start, byte * 301.0);
            const double to = std::min(end, byte * 301.0 + 124);
            high += byte < 200 ? std::max(0.0, to - from) : 0.0;
        }
        EXPECT_NEAR(out[frame], 64 * 256 * high / frame_cycles, 0.5) << frame;
    }
}

TEST(drum_player, a_new_trigger_interrupts_a_dpcm_sample_at_once_from_the_centre) {
    drum_kit kit = holding_kit();
    kit.dpcm[0] = bytes(850, 0x10); // the kick climbs one step a byte
    drum_player player(kit);
    EXPECT_FALSE(player.take_dac_enabled());
    player.trigger(0x81);
    EXPECT_FALSE(player.take_dac_enabled()); // triggers wait for the next render
    const std::vector<int16_t> kick = render(player, 100);
    EXPECT_TRUE(player.take_dac_enabled());
    EXPECT_FALSE(player.take_dac_enabled());
    EXPECT_GT(kick.back(), level(0x88));

    // The accumulator starts again at 0x80: the snare holds 0xC0.
    EXPECT_EQ(play(player, {{0x82, 20}}), std::vector<int16_t>(20, level(0xC0)));
    EXPECT_TRUE(player.take_dac_enabled());
    EXPECT_EQ(play(player, {{0x83, 1}})[0], level(0x90));
    EXPECT_TRUE(player.take_dac_enabled());
}

TEST(drum_player, the_long_sample_plays_to_its_end_then_the_last_trigger_handed_over) {
    drum_player player(holding_kit());
    // The last trigger handed over, the snare, follows the long sample.
    const std::vector<int16_t> out = play(player, {{0x87, 10}, {0x81, 10}, {0x82, 74000}});

    // 27000 bytes of 220 cycles end inside frame 73180.
    const double end_cycles = 27000.0 * 220.0;
    const std::size_t end_frame = static_cast<std::size_t>(end_cycles / frame_cycles);
    ASSERT_EQ(end_frame, 73180u);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + end_frame),
              std::vector<int16_t>(end_frame, level(0xB0)));
    const double long_part = end_cycles / frame_cycles - static_cast<double>(end_frame);
    EXPECT_NEAR(out[end_frame], level(0xB0) * long_part + level(0xC0) * (1 - long_part), 0.5);
    EXPECT_EQ(out[end_frame + 1], level(0xC0));
    EXPECT_TRUE(player.take_dac_enabled()); // by the snare, not the long sample
    EXPECT_TRUE(player.playing());
}

TEST(drum_player, the_dac_holds_its_value_past_the_sample_table_and_every_value_from_0x87_is_long) {
    for (const uint8_t silent : {0x84, 0x85, 0x86}) {
        SCOPED_TRACE(silent);
        drum_player player(holding_kit());
        play(player, {{0x81, 50}}); // then the silent one stops the kick; the DAC stays
        EXPECT_EQ(play(player, {{silent, 2000}}), std::vector<int16_t>(2000, level(0xA0)));
        EXPECT_FALSE(player.playing());
    }
    for (const uint8_t handed_over : {0x87, 0xFF}) {
        SCOPED_TRACE(handed_over);
        drum_player player(holding_kit());
        EXPECT_EQ(play(player, {{handed_over, 1}})[0], level(0xB0));
        EXPECT_TRUE(player.playing());
        EXPECT_FALSE(player.take_dac_enabled()); // only DPCM starts enable the DAC
    }
    for (const uint8_t nothing : {0x00, 0x7F, 0x80}) {
        drum_player player(holding_kit());
        EXPECT_EQ(play(player, {{nothing, 1}})[0], 0);
        EXPECT_FALSE(player.playing());
    }
    // A sample that ends by itself leaves the DAC at its last value too; 0x80 before any drum.
    drum_player player(holding_kit(4));
    EXPECT_EQ(render(player, 10), std::vector<int16_t>(10, 0));
    const std::vector<int16_t> out = play(player, {{0x81, 3000}});
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(out.back(), level(0xA0));
    EXPECT_EQ(out[2000], level(0xA0));
}

TEST(drum_player, a_copy_plays_on_from_where_the_original_was_with_its_own_kit) {
    drum_kit kit = holding_kit();
    kit.dpcm[1] = bytes(850, 0x19); // +1 then -1: every frame shows the position
    drum_player straight(kit);
    const std::vector<int16_t> expected = play(straight, {{0x82, 600}});
    drum_player original(kit);
    play(original, {{0x82, 100}});
    drum_player copy = original;
    original = drum_player(holding_kit()); // the original's kit is gone
    EXPECT_EQ(render(copy, 500), std::vector<int16_t>(expected.begin() + 100, expected.end()));
}

} // namespace
} // namespace kavelo
