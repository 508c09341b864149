#include "demo/demo_rom.h"
#include "disk_rom.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(VoiceOrder, SwapExchangesFirstAndLastOfEveryGroup) {
    voice_record rom{0x05, 0x01, 0x02, 0x03, 0x04, 0x11, 0x12, 0x13, 0x14};
    const voice_record working = swap_voice_order(rom);
    EXPECT_EQ(std::vector<uint8_t>(working.begin(), working.begin() + 9),
              (std::vector<uint8_t>{0x05, 0x04, 0x02, 0x03, 0x01, 0x14, 0x12, 0x13, 0x11}));
    const voice_record counted = test::counting_record(0);
    EXPECT_EQ(swap_voice_order(swap_voice_order(counted)), counted);
    EXPECT_EQ(swap_voice_order(counted)[21], 24);
    EXPECT_EQ(swap_voice_order(counted)[24], 21);
}

TEST(VoiceHex, RoundTripsAndRejectsBadText) {
    const voice_record record = test::counting_record(0xE7);
    EXPECT_EQ(voice_from_hex(voice_to_hex(record)), record);
    EXPECT_EQ(voice_to_hex(record).substr(0, 4), "e7e8");
    EXPECT_TRUE(voice_from_hex(std::string(50, 'F')));
    EXPECT_FALSE(voice_from_hex(std::string(49, '0')));
    EXPECT_FALSE(voice_from_hex(std::string(48, '0') + "0g"));
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

// The game's longest table: every one of its 33 voices loads, and the last one saves
// into its own slot.
TEST(LoadTrackVoices, ThirtyThreeVoiceTableLoadsWholeAndItsLastVoiceSaves) {
    test::disk_rom file(make_demo_rom());
    const std::vector<uint8_t>& rom = file.original;
    const track_entry& credits = track_table[16];
    voice_table table;
    ASSERT_EQ(load_track_voices(file.access, credits.start, table).code, result_done);
    ASSERT_EQ(table.count, 33);
    EXPECT_TRUE(file.log.lines.empty());
    const uint32_t table_start = credits.end - 33 * 25;
    for (int v = 0; v < 33; ++v) {
        voice_record stored;
        std::copy_n(rom.begin() + table_start + 25 * v, 25, stored.begin());
        EXPECT_EQ(table.voices[v], swap_voice_order(stored)) << v;
    }
    const voice_record edited = test::counting_record(0x40);
    ASSERT_EQ(commit_voice(file.access, credits.start, table, 32, edited).code, result_done);
    std::vector<uint8_t> expected = rom;
    const voice_record stored = swap_voice_order(edited);
    std::copy(stored.begin(), stored.end(), expected.begin() + table_start + 25 * 32);
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

TEST(LoadTrackVoices, RefusesTracksOutsideTheFileOrFilesPastEightMiBAndKeepsTheTable) {
    voice_table table;
    table.count = 2;
    table.voices[0][0] = 0x77;

    // A ROM image cut short inside the last track.
    std::vector<uint8_t> rom = make_demo_rom();
    rom.resize(track_table[18].end - 10);
    test::disk_rom short_rom(rom);
    op_result result = load_track_voices(short_rom.access, track_table[18].start, table);
    EXPECT_EQ(result.code, result_refused);
    EXPECT_NE(result.problem.find("too short"), std::string::npos);

    // A bare track of one byte cannot even hold the table offset.
    test::disk_rom one_byte({0x00}, file_mode::bare_track);
    EXPECT_EQ(load_track_voices(one_byte.access, 0, table).code, result_refused);

    test::disk_rom big(std::vector<uint8_t>(8 * 1024 * 1024 + 1, 0), file_mode::bare_track);
    result = load_track_voices(big.access, 0, table);
    EXPECT_EQ(result.code, result_refused);
    EXPECT_NE(result.problem.find("8 MiB"), std::string::npos);

    rom_access missing{native_file_system(), big.dir.file("missing.bin"), file_mode::rom_image, {}};
    EXPECT_EQ(load_track_voices(missing, 0x745DC, table).code, result_cannot_read);

    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.voices[0][0], 0x77);
}

} // namespace
} // namespace kavelo
