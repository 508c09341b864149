// Voice tables: loads from a bare track, and commits that write exactly their own slot and
// refuse what they cannot write.

#include "demo/demo_rom.h"
#include "memory_file_system.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "rom/voice_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

const voice_record edited = test::counting_record(0x40);

// A ROM image or bare track held in memory, opened for loads and commits.
struct voice_file {
    test::memory_file_system fs;
    test::log_lines log;
    rom_access access;
    explicit voice_file(std::vector<uint8_t> bytes, file_mode mode = file_mode::rom_image)
        : access{fs, "/music/file.bin", mode, log.sink()} {
        fs.files[access.path] = std::move(bytes);
    }
    std::vector<uint8_t>& bytes() { return fs.files[access.path]; }
    voice_table loaded(uint32_t start) const {
        voice_table table;
        EXPECT_EQ(load_track_voices(access, start, table).code, result_done);
        return table;
    }
};

TEST(LoadTrackVoices, BareTrackVoicesRunToTheFileEndUpToSixtyFour) {
    // Header table offset, then `voices` stored records counting up by 25, then `extra` bytes.
    const struct {
        uint16_t table;
        int voices, extra, expected;
    } cases[] = {{6, 2, 24, 2}, {0xFFFF, 0, 0, 0}, {6, 70, 0, 64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.table << " " << c.voices << " " << c.extra);
        std::vector<uint8_t> bytes{uint8_t(c.table >> 8), uint8_t(c.table), 0, 0, 0, 0};
        for (int v = 0; v < c.voices; ++v) {
            const voice_record stored = test::counting_record(static_cast<uint8_t>(v * 25));
            bytes.insert(bytes.end(), stored.begin(), stored.end());
        }
        bytes.insert(bytes.end(), static_cast<std::size_t>(c.extra), 0xEE);
        voice_file file(bytes, file_mode::bare_track);
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

TEST(CommitVoice, BareTrackSlotTakesTheTableOffsetAnewFromTheFile) {
    voice_file track(make_demo_track(2), file_mode::bare_track);
    voice_table table = track.loaded(0);
    // Another program moves the table 25 bytes on between load and commit.
    std::vector<uint8_t> moved = track.bytes();
    const uint16_t offset = static_cast<uint16_t>((moved[0] << 8 | moved[1]) + 25);
    moved[0] = static_cast<uint8_t>(offset >> 8);
    moved[1] = static_cast<uint8_t>(offset);
    track.bytes() = moved;
    ASSERT_EQ(commit_voice(track.access, 0, table, 0, edited).code, result_done);
    const voice_record stored = swap_voice_order(edited);
    std::copy(stored.begin(), stored.end(), moved.begin() + offset);
    EXPECT_EQ(track.bytes(), moved);
}

TEST(CommitVoice, RefusesWhatItCannotWriteAndWritesNothing) {
    voice_file rom(make_demo_rom());
    const uint32_t start = track_table[0].start;
    voice_table table = rom.loaded(start);
    voice_table none;
    const op_result empty = commit_voice(rom.access, start, none, 0, edited);
    EXPECT_EQ(empty.code, result_refused);
    EXPECT_NE(empty.problem.find("no voices"), std::string::npos);

    // The file shrank after the load: the slot now ends past it, refused as the load would be.
    rom.bytes().resize(track_table[0].end - 10);
    const std::vector<uint8_t> cut = rom.bytes();
    const op_result shrunk = commit_voice(rom.access, start, table, table.count - 1, edited);
    EXPECT_EQ(shrunk.code, result_refused);
    voice_table reloaded;
    EXPECT_EQ(shrunk.problem, load_track_voices(rom.access, start, reloaded).problem);
    EXPECT_EQ(rom.bytes(), cut);
    EXPECT_TRUE(rom.log.lines.empty());
}

} // namespace
} // namespace kavelo
