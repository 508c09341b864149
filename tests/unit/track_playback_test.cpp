// The editors' track playback: the device is fed the core's render of the track and the
// log says what happened. A voice shown while playing: editor_track_play_test.

#include "demo/demo_rom.h"
#include "fake_sound_stream.h"
#include "rom/track_table.h"
#include "sound/track_playback.h"
#include "track_rom.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

constexpr uint32_t one_second = track_output_rate;
constexpr int32_t basalt = 2;

struct playback : ::testing::Test {
    test::fake_sound_stream sound;
    std::vector<std::string> log;
    track_playback player{sound, [this](std::string_view line) { log.emplace_back(line); }};
    std::vector<uint8_t> rom = make_demo_rom();

    track_source track(int32_t index) const {
        return {rom, file_mode::rom_image, track_table[index].start};
    }
};

TEST_F(playback, a_second_stop_says_nothing_and_play_again_starts_from_the_beginning) {
    ASSERT_TRUE(player.play(track(basalt), "Basalt Zone"));
    sound.play(one_second);
    player.stop();
    player.stop();
    EXPECT_EQ(log, (std::vector<std::string>{"  * Playing Basalt Zone", "  * Stopped Basalt Zone"}))
        << "a second Stop says nothing";

    // Play again starts from the beginning.
    ASSERT_TRUE(player.play(track(basalt), "Basalt Zone"));
    EXPECT_TRUE(sound.play_lead_in());
    EXPECT_EQ(sound.play(one_second, 441), test::rendered_track(track(basalt), one_second));
}

TEST_F(playback, a_failure_logs_one_line_and_nothing_plays) {
    const struct {
        const char* what;
        std::string refusal;
        track_source source;
        std::string line_start;
    } cases[] = {
        {"no sound device", "no sound device could be opened", track(basalt),
         "  * No sound for Basalt Zone: no sound device could be opened"},
        {"a header the driver cannot play",
         "",
         {std::vector<uint8_t>(48, 0), file_mode::bare_track, 0},
         "  * Cannot play Basalt Zone: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        sound.refusal = c.refusal;
        EXPECT_FALSE(player.play(c.source, "Basalt Zone"));
        EXPECT_FALSE(player.playing());
        EXPECT_FALSE(sound.running());
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].substr(0, c.line_start.size()), c.line_start);
        EXPECT_FALSE(player.poll());
        player.stop();
        EXPECT_EQ(log.size(), 1u);
    }
}

// The drum channel rests 96 frames and stops; FM1 plays two notes and stops before it.
std::vector<uint8_t> ending_track() {
    return test::make_track(
        {1,
         0,
         {test::stream_bytes{}.add({0x80, 0x60, 0xF2}),
          test::stream_bytes{}.add({0xEF, 0x00, 0x81, 0x04, 0x80, 0x02, 0x8D, 0xF2})},
         {0, 8},
         {},
         {demo_voices()[0].record}});
}

TEST_F(playback, a_track_that_ends_stops_after_its_release_and_says_each_message_once) {
    track_interpreter driver({ending_track(), file_mode::bare_track, 0});
    std::vector<driver_write> writes;
    while (driver.playing() && driver.frames_run() < 3600) {
        driver.run_frame(writes);
    }
    ASSERT_FALSE(driver.playing());
    // Where the driver frame that found every channel stopped begins, after the lead-in.
    const auto stopped_at =
        playback_lead_in_frames +
        static_cast<uint32_t>(driver.frames_run() - 1) * frames_per_driver_frame;

    ASSERT_TRUE(player.play({ending_track(), file_mode::bare_track, 0}, "ending.bin"));
    const std::string no_drums =
        "  * A bare track holds no drum samples: the drum channel is silent.";
    EXPECT_EQ(log, (std::vector<std::string>{"  * Playing ending.bin", no_drums}));
    constexpr uint32_t poll_every = 4410;
    constexpr uint32_t device_piece = 1000; // fake_sound_stream::play's
    uint32_t played = 0;
    while (!player.poll() && played < 20 * one_second) {
        sound.play(poll_every);
        played += poll_every;
    }
    EXPECT_FALSE(player.playing());
    EXPECT_FALSE(sound.running());
    // The release tail is counted from the start of the device's piece that held the stop.
    EXPECT_GE(played + device_piece, stopped_at + release_tail_frames);
    EXPECT_LT(played, stopped_at + release_tail_frames + poll_every);
    EXPECT_EQ(std::count(log.begin(), log.end(), no_drums), 1);
    EXPECT_EQ(log.back(), "  * ending.bin has ended");
}

} // namespace
} // namespace kavelo
