#include "demo/demo_rom.h"
#include "disk_rom.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(VoiceOrder, SwapExchangesFirstAndLastOfEveryGroup) {
    const voice_record expected{0,  4,  2,  3,  1,  8,  6,  7,  5,  12, 10, 11, 9,
                                16, 14, 15, 13, 20, 18, 19, 17, 24, 22, 23, 21};
    EXPECT_EQ(swap_voice_order(test::counting_record(0)), expected);
}

TEST(VoiceHex, RoundTripsAndRejectsBadText) {
    const voice_record record = test::counting_record(0xE7);
    EXPECT_EQ(voice_to_hex(record).substr(0, 4), "e7e8");
    EXPECT_EQ(voice_from_hex(voice_to_hex(record)), record);
    EXPECT_TRUE(voice_from_hex(std::string(50, 'F')));
    EXPECT_FALSE(voice_from_hex(std::string(49, '0')));
}

TEST(LoadTrackVoices, BareTrackVoicesRunToTheFileEndUpToSixtyFour) {
    // Header table offset, then `voices` stored records counting up by 25, then `extra` bytes.
    const struct {
        uint16_t table;
        int voices, extra, expected;
    } cases[] = {{6, 3, 0, 3}, {6, 2, 24, 2}, {6, 0, 0, 0}, {0xFFFF, 0, 0, 0}, {6, 70, 0, 64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.table << " " << c.voices << " " << c.extra);
        std::vector<uint8_t> bytes{uint8_t(c.table >> 8), uint8_t(c.table), 0, 0, 0, 0};
        for (int v = 0; v < c.voices; ++v) {
            const voice_record stored = test::counting_record(static_cast<uint8_t>(v * 25));
            bytes.insert(bytes.end(), stored.begin(), stored.end());
        }
        bytes.insert(bytes.end(), static_cast<std::size_t>(c.extra), 0xEE);
        test::disk_rom file(bytes, file_mode::bare_track);
        voice_table table;
        table.count = 4;
        ASSERT_EQ(load_track_voices(file.access, 0, table).code, result_done);
        ASSERT_EQ(table.count, c.expected);
        if (c.expected > 0) {
            const int last = c.expected - 1;
            EXPECT_EQ(table.voices[last], swap_voice_order(test::counting_record(last * 25 % 256)));
        }
        // Above 64 one log line says how many the track holds.
        EXPECT_EQ(file.log.lines.size(), c.voices > 64 ? 1u : 0u);
        if (c.voices > 64) {
            EXPECT_NE(file.log.lines[0].find("70 voices"), std::string::npos);
        }
    }
}

// The game's longest table loads whole, and its last voice saves into its own slot.
TEST(LoadTrackVoices, ThirtyThreeVoiceTableLoadsWholeAndItsLastVoiceSaves) {
    test::disk_rom file(make_demo_rom());
    const std::vector<uint8_t>& rom = file.original;
    const track_entry& credits = track_table[16];
    voice_table table = file.loaded(credits.start);
    ASSERT_EQ(table.count, 33);
    EXPECT_TRUE(file.log.lines.empty());
    const uint32_t last_slot = credits.end - 25; // the table ends where the track does
    voice_record stored;
    std::copy_n(rom.begin() + last_slot, 25, stored.begin());
    EXPECT_EQ(table.voices[32], swap_voice_order(stored));
    const voice_record edited = test::counting_record(0x40);
    ASSERT_EQ(commit_voice(file.access, credits.start, table, 32, edited).code, result_done);
    EXPECT_EQ(table.voices[32], edited);
    std::vector<uint8_t> expected = rom; // exactly the slot changes, in ROM order
    stored = swap_voice_order(edited);
    std::copy(stored.begin(), stored.end(), expected.begin() + last_slot);
    EXPECT_EQ(file.on_disk(), expected);
}

TEST(LoadTrackVoices, RomTrackEndsAtTheTableEndNotTheFileEnd) {
    std::vector<uint8_t> rom = make_demo_rom();
    const track_entry& last = track_table[18];
    // Point the last track's table 3 voices before its end; bytes past the end are noise.
    const uint16_t table_offset = static_cast<uint16_t>(last.end - last.start - 75);
    rom[last.start] = static_cast<uint8_t>(table_offset >> 8);
    rom[last.start + 1] = static_cast<uint8_t>(table_offset);
    test::disk_rom file(rom);
    EXPECT_EQ(file.loaded(last.start).count, 3);
}

TEST(LoadTrackVoices, RefusesTracksOutsideTheFileAndKeepsTheTable) {
    voice_table table;
    table.count = 2;
    table.voices[0][0] = 0x77;
    std::vector<uint8_t> rom = make_demo_rom();
    rom.resize(track_table[18].end - 10); // cut short inside the last track
    test::disk_rom short_rom(rom);
    const op_result result = load_track_voices(short_rom.access, track_table[18].start, table);
    EXPECT_EQ(result.code, result_refused);
    EXPECT_NE(result.problem.find("too short"), std::string::npos);
    // A bare track of one byte cannot even hold the table offset.
    test::disk_rom one_byte({0x00}, file_mode::bare_track);
    EXPECT_EQ(load_track_voices(one_byte.access, 0, table).code, result_refused);
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.voices[0][0], 0x77);
}

} // namespace
} // namespace kavelo
