// The track player: the length of a render by loops and their count, the PSG in the mix, live
// voice edits, and the DAC taking FM channel 6's place.

#include "demo/demo_rom.h"
#include "rom/track_table.h"
#include "track/track_player.h"
#include "track_rom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavelo {
namespace {

// Algorithm 7, all operators loud and sustaining (the same in working and ROM order).
constexpr voice_record loud_voice{0x07, 0x01, 0x01, 0x01, 0x01, 0x1F, 0x1F, 0x1F, 0x1F,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F,
                                  0x0F, 0x0F, 0x0F, 0x00, 0x00, 0x00, 0x00};

test::stream_bytes stream(std::initializer_list<uint8_t> bytes) {
    return test::stream_bytes{}.add(bytes);
}

// The drum channel's stream, then FM streams, then PSG streams, with `loud_voice` as voice 0.
std::vector<uint8_t> make_track(std::vector<test::stream_bytes> fm,
                                std::vector<test::psg_entry> psg = {}) {
    return test::make_track({1, 0, std::move(fm), {}, std::move(psg), {loud_voice}});
}

// Root mean square of the samples in [from, to) seconds.
double level(const std::vector<int16_t>& samples, double from, double to) {
    const auto a = static_cast<std::size_t>(from * 44100) * 2;
    const auto b = std::min(samples.size(), static_cast<std::size_t>(to * 44100) * 2);
    double sum = 0;
    for (std::size_t i = a; i < b; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return b > a ? std::sqrt(sum / static_cast<double>(b - a)) : 0.0;
}

TEST(TrackPlayer, RendersTheLoopsAskedForAndCountsThem) {
    // Both channels jump back every 12 frames, from frame 13 on: loop 2 ends in frame 25.
    const std::vector<uint8_t> looping =
        make_track({stream({0x80, 0x0C, 0xF6, 0xFF, 0xFC}),
                    stream({0xEF, 0x00, 0xA5, 0x0C, 0xF6, 0xFF, 0xFA})});
    track_player by_loops({looping, file_mode::bare_track, 0});
    EXPECT_EQ(render_track(by_loops, {-1.0, 2}).size(), 2 * (26 * 735 + release_tail_frames));
    EXPECT_EQ(by_loops.driver().loops_completed(), 2);
}

TEST(TrackPlayer, MixesThePsgAndHearsVoiceEditsAtOnce) {
    track_player psg(
        {make_track({stream({0xF2}), stream({0xF2})}, {{stream({0x8D, 0x7F, 0xF6, 0xFF, 0xFC})}}),
         file_mode::bare_track, 0});
    EXPECT_GT(level(render_track(psg, {1.0, -1}), 0.1, 0.9), 1000.0);

    track_player player({make_track({stream({0xF2}), stream({0xEF, 0x00, 0xA5, 0x7F, 0xF2})}),
                         file_mode::bare_track, 0});
    std::vector<int16_t> before(2 * 22050);
    player.render(before, 22050);
    voice_record silent = loud_voice;
    std::fill(silent.begin() + 21, silent.end(), uint8_t{0x7F});
    ASSERT_TRUE(player.replace_voice(0, silent));
    std::vector<int16_t> after(2 * 22050);
    player.render(after, 22050);
    EXPECT_GT(level(before, 0.1, 0.5), 1000.0);
    EXPECT_LT(level(after, 0.05, 0.5), 10.0);
    EXPECT_FALSE(player.replace_voice(200, silent)); // past the end of the file
}

TEST(TrackPlayer, TheDacTakesChannelSixFromTheFirstDrumSample) {
    // Seven FM entries: FM6 holds a note; the drum channel rests 60 frames, then a kick.
    std::vector<test::stream_bytes> fm(7, stream({0xF2}));
    fm[0] = stream({0x80, 0x3C, 0x81, 0x7F, 0xF2});
    fm[6] = stream({0xEF, 0x00, 0xA5, 0x7F, 0xA5, 0x7F, 0xF2});
    const std::vector<uint8_t> track = make_track(fm);
    std::vector<uint8_t> rom = make_demo_rom();
    std::copy(track.begin(), track.end(), rom.begin() + track_table[0].start);
    track_player player({rom, file_mode::rom_image, track_table[0].start});
    const std::vector<int16_t> samples = render_track(player, {3.0, -1});
    EXPECT_TRUE(player.take_messages().empty());
    EXPECT_GT(level(samples, 0.1, 0.9), 1000.0); // FM6 while the DAC is off
    EXPECT_GT(level(samples, 1.0, 1.05), 500.0); // the kick
    EXPECT_LT(level(samples, 2.0, 2.9), 10.0);   // after it, the DAC holds its centre
}

} // namespace
} // namespace kavelo
