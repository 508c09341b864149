// The demo ROM: shaped like the game's (header counts, voice tables to the track ends)
// and playing as music through the game's driver, its tables and drums in place.

#include "demo/demo_rom.h"
#include "drums/drum_kit.h"
#include "rom/rom_access.h"
#include "rom/track_table.h"
#include "rom/voice_table.h"
#include "track/voice_usage.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(DemoRom, TracksAreShapedLikeTheGamesAndPlayAsLoopingTunes) {
    const std::vector<uint8_t> rom = make_demo_rom();
    ASSERT_EQ(rom.size(), demo_rom_size);
    drum_kit kit;
    const op_result found = find_drum_kit(rom, kit);
    EXPECT_TRUE(found.done()) << found.problem;

    for (int32_t i = 0; i < track_count; ++i) {
        const track_entry& track = track_table[i];
        SCOPED_TRACE(track.name);
        const int fm = i == 8 || i == 18 ? 7 : 6;
        const int psg = i == 17 ? 0 : 3;
        EXPECT_EQ(rom[track.start + 2], fm);
        EXPECT_EQ(rom[track.start + 3], psg);
        voice_table_extent extent;
        ASSERT_EQ(locate_voice_table(rom, file_mode::rom_image, track.start, extent).code,
                  result_done);
        EXPECT_EQ(extent.table_start + 25u * static_cast<uint32_t>(extent.voices_in_track),
                  track.end);

        // Every channel plays notes with voices of the table and repeats within 20 s,
        // never stopping for a fault; the drums and the PSG take part.
        track_interpreter driver({rom, file_mode::rom_image, track.start});
        ASSERT_TRUE(driver.valid()) << driver.problem();
        const track_voice_usage usage = first_loop_voice_usage(driver, 20 * 60);
        EXPECT_TRUE(usage.looped);
        EXPECT_TRUE(driver.take_messages().empty());
        std::array<int32_t, music_channel_count> notes{};
        for (const auto& [number, use] : usage.voices) {
            EXPECT_LT(number, extent.voices_in_track);
            for (int32_t c = 0; c < music_channel_count; ++c) {
                notes[c] += use.notes[c];
            }
        }
        for (int32_t c = 1; c < fm; ++c) {
            EXPECT_GT(notes[c], 0) << music_channel_name(c);
        }
        track_interpreter again({rom, file_mode::rom_image, track.start});
        std::vector<driver_write> writes;
        std::array<int32_t, 4> kinds{}; // drum triggers, PSG tones, noise, PSG volumes
        while (again.frames_run() < 20 * 60) {
            writes.clear();
            again.run_frame(writes);
            for (const driver_write& w : writes) {
                kinds[0] += w.target == write_target::drum;
                kinds[1] += w.target == write_target::psg && (w.value & 0x90) == 0x80;
                kinds[2] += w.target == write_target::psg && w.value == 0xE7;
                kinds[3] += w.target == write_target::psg && (w.value & 0x90) == 0x90 &&
                            (w.value & 0x0F) != 0x0F;
            }
        }
        EXPECT_GT(kinds[0], 0);
        if (psg > 0) {
            EXPECT_GT(kinds[1], 0);
            EXPECT_GT(kinds[2], 0);
            EXPECT_GT(kinds[3], 0);
        }
    }
    // A demo track on its own is the same bytes as in the ROM.
    const std::vector<uint8_t> track = make_demo_track(5);
    EXPECT_TRUE(std::equal(track.begin(), track.end(), rom.begin() + track_table[5].start));
}

} // namespace
} // namespace kavelo
