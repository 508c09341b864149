// The track player: render lengths for each limit, loop counting, the mix of FM, PSG and
// drums, live voice edits, and the DAC taking FM channel 6's place.

#include "demo/demo_rom.h"
#include "rom/track_table.h"
#include "track/driver_tables.h"
#include "track/track_player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavelo {
namespace {

// Voice 0: algorithm 7, all operators loud and sustaining; voice 1: the same, silent.
constexpr std::array<uint8_t, 25> loud_voice{0x07, 0x01, 0x01, 0x01, 0x01, 0x1F, 0x1F, 0x1F, 0x1F,
                                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F,
                                             0x0F, 0x0F, 0x0F, 0x00, 0x00, 0x00, 0x00};

// A track of `streams` (drum first, then FM, then PSG entries), followed by voice 0.
std::vector<uint8_t> make_track(const std::vector<std::vector<uint8_t>>& streams, int fm, int psg) {
    std::vector<uint8_t> track(6 + 4 * fm + 6 * psg, 0);
    track[2] = static_cast<uint8_t>(fm);
    track[3] = static_cast<uint8_t>(psg);
    track[4] = 1;
    for (std::size_t k = 0; k < streams.size(); ++k) {
        const std::size_t entry =
            k < static_cast<std::size_t>(fm) ? 6 + 4 * k : 6 + 4 * fm + 6 * (k - fm);
        track[entry] = static_cast<uint8_t>(track.size() >> 8);
        track[entry + 1] = static_cast<uint8_t>(track.size());
        track.insert(track.end(), streams[k].begin(), streams[k].end());
    }
    track[0] = static_cast<uint8_t>(track.size() >> 8);
    track[1] = static_cast<uint8_t>(track.size());
    track.insert(track.end(), loud_voice.begin(), loud_voice.end());
    return track;
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

const std::vector<uint8_t> rest_loop{0x80, 0x0C, 0xF6, 0xFF, 0xFC}; // 12 frames, again

TEST(TrackPlayer, RendersToEachLimitAndCountsLoops) {
    // Both channels jump back every 12 frames, from frame 13 on: loop 2 ends in frame 25.
    const std::vector<uint8_t> looping =
        make_track({rest_loop, {0xEF, 0x00, 0xA5, 0x0C, 0xF6, 0xFF, 0xFA}}, 2, 0);
    track_player by_loops({looping, file_mode::bare_track, 0});
    EXPECT_EQ(render_track(by_loops, {-1.0, 2}).size(), 2 * (26 * 735 + release_tail_frames));
    EXPECT_EQ(by_loops.driver().loops_completed(), 2);

    track_player by_time({looping, file_mode::bare_track, 0});
    EXPECT_EQ(render_track(by_time, {1.5, -1}).size(), 2u * 66150);

    // A track whose channels all stop ends there. The drum channel's F2 in frame 1 ends
    // that frame, so FM1 starts in frame 2 and its F2 comes in frame 14.
    const std::vector<uint8_t> ending = make_track({{0xF2}, {0xEF, 0x00, 0xA5, 0x0C, 0xF2}}, 2, 0);
    track_player to_end({ending, file_mode::bare_track, 0});
    const std::vector<int16_t> samples = render_track(to_end, {-1.0, 5});
    EXPECT_EQ(samples.size(), 2 * (15 * 735 + release_tail_frames));
    EXPECT_GT(level(samples, 0.02, 0.2), 1000.0); // the note sounds
    EXPECT_FALSE(to_end.driver().playing());
    const std::vector<std::string> messages = to_end.take_messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("no drum samples"), std::string::npos);
}

TEST(TrackPlayer, MixesThePsgAndHearsVoiceEditsAtOnce) {
    // PSG1: a long note at attenuation 0; FM1: a long note of voice 0.
    const std::vector<uint8_t> psg_only =
        make_track({{0xF2}, {0xF2}, {0x8D, 0x7F, 0xF6, 0xFF, 0xFC}}, 2, 1);
    track_player psg({psg_only, file_mode::bare_track, 0});
    EXPECT_GT(level(render_track(psg, {1.0, -1}), 0.1, 0.9), 1000.0);

    const std::vector<uint8_t> held = make_track({{0xF2}, {0xEF, 0x00, 0xA5, 0x7F, 0xF2}}, 2, 0);
    track_player player({held, file_mode::bare_track, 0});
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
    std::vector<std::vector<uint8_t>> streams(7, {0xF2});
    streams[0] = {0x80, 0x3C, 0x81, 0x7F, 0xF2};
    streams[6] = {0xEF, 0x00, 0xA5, 0x7F, 0xA5, 0x7F, 0xF2};
    const std::vector<uint8_t> track = make_track(streams, 7, 0);
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
