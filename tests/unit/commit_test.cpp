// Voice commits into a file on disk: exactly their own bytes, the table offset read anew,
// refusals that write nothing, and the file's permissions kept.

#include "demo/demo_rom.h"
#include "rom/file_image.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace kavelo {
namespace {

const voice_record edited = test::counting_record(0x40);

// Indices of the bytes in which two images differ.
std::vector<std::size_t> differing_bytes(const std::vector<uint8_t>& a,
                                         const std::vector<uint8_t>& b) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) {
            at.push_back(i);
        }
    }
    return at;
}

struct opened_rom {
    test::scratch_dir dir;
    test::log_lines log;
    rom_access access;
    std::vector<uint8_t> original;
    explicit opened_rom(std::vector<uint8_t> bytes, file_mode mode = file_mode::rom_image)
        : access{native_file_system(), dir.file("rom.bin"), mode, log.sink()},
          original(std::move(bytes)) {
        test::write_bytes(access.path, original);
    }
    std::vector<uint8_t> on_disk() const { return test::read_bytes(access.path); }
    voice_table loaded(uint32_t start) const {
        voice_table table;
        EXPECT_EQ(load_track_voices(access, start, table).code, result_done);
        return table;
    }
};

TEST(CommitVoice, WritesExactlyTheVoiceSlotInRomOrder) {
    opened_rom rom(make_demo_rom());
    const uint32_t start = track_table[2].start;
    voice_table table = rom.loaded(start);
    ASSERT_GE(table.count, 4);
    ASSERT_EQ(commit_voice(rom.access, start, table, 3, edited).code, result_done);
    const std::vector<uint8_t> after = rom.on_disk();
    const std::size_t slot = start + (rom.original[start] << 8 | rom.original[start + 1]) + 25 * 3;
    for (std::size_t at : differing_bytes(rom.original, after)) {
        EXPECT_TRUE(at >= slot && at < slot + 25) << at;
    }
    const voice_record stored = swap_voice_order(edited);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), after.begin() + std::ptrdiff_t(slot)));
    EXPECT_EQ(after.size(), rom.original.size());
    EXPECT_EQ(table.voices[3], edited);
    EXPECT_EQ(rom.loaded(start).voices[3], edited);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rom.dir.path()), {}), 1);
    // The edit leaves the demo ROM's checksum stale, which a third line says.
    ASSERT_EQ(rom.log.lines.size(), 3u);
    EXPECT_EQ(rom.log.lines[0], "  * Writing changes to ROM");
    EXPECT_EQ(rom.log.lines[1], "  * Voice Edited successfully!");
    EXPECT_EQ(rom.log.lines[2].rfind("  * Note: the cartridge checksum", 0), 0u);
}

TEST(CommitVoice, BareTrackSlotTakesTheTableOffsetAnewFromTheFile) {
    opened_rom track(make_demo_track(2), file_mode::bare_track);
    voice_table table = track.loaded(0);
    // Another program moves the table 25 bytes on between load and commit.
    std::vector<uint8_t> moved = track.original;
    const uint16_t offset = static_cast<uint16_t>((moved[0] << 8 | moved[1]) + 25);
    moved[0] = static_cast<uint8_t>(offset >> 8);
    moved[1] = static_cast<uint8_t>(offset);
    test::write_bytes(track.access.path, moved);
    ASSERT_EQ(commit_voice(track.access, 0, table, 0, edited).code, result_done);
    const auto changed = differing_bytes(moved, track.on_disk());
    ASSERT_FALSE(changed.empty());
    EXPECT_GE(changed.front(), offset);
    EXPECT_LT(changed.back(), offset + 25u);
}

TEST(CommitVoice, RefusesWhatItCannotWriteAndWritesNothing) {
    opened_rom rom(make_demo_rom());
    const uint32_t start = track_table[0].start;
    voice_table table = rom.loaded(start);
    EXPECT_EQ(commit_voice(rom.access, start, table, table.count, edited).code, result_refused);
    voice_table none;
    const op_result empty = commit_voice(rom.access, start, none, 0, edited);
    EXPECT_EQ(empty.code, result_refused);
    EXPECT_NE(empty.problem.find("no voices"), std::string::npos);

    rom_access missing{native_file_system(), rom.dir.file("gone.bin"), file_mode::rom_image,
                       rom.log.sink()};
    const voice_record before = table.voices[0];
    EXPECT_EQ(commit_voice(missing, start, table, 0, edited).code, result_cannot_read);
    EXPECT_EQ(table.voices[0], before);
    EXPECT_FALSE(std::filesystem::exists(missing.path));

    // The file shrank after the load: the track, and so the slot, now ends past it, and the
    // commit says so as the load would.
    std::vector<uint8_t> cut = rom.original;
    cut.resize(track_table[0].end - 10);
    test::write_bytes(rom.access.path, cut);
    const op_result shrunk = commit_voice(rom.access, start, table, table.count - 1, edited);
    EXPECT_EQ(shrunk.code, result_refused);
    voice_table reloaded;
    EXPECT_EQ(shrunk.problem, load_track_voices(rom.access, start, reloaded).problem);
    EXPECT_EQ(rom.on_disk(), cut);
    EXPECT_TRUE(rom.log.lines.empty());
}

TEST(CommitVoice, ReplacedFilesKeepTheirPermissionsAndNewOnesGetTheUsual) {
    opened_rom rom(make_demo_rom());
    ::chmod(rom.access.path.c_str(), 0640);
    voice_table table = rom.loaded(track_table[1].start);
    ASSERT_EQ(commit_voice(rom.access, track_table[1].start, table, 0, edited).code, result_done);
    struct stat info {};
    ASSERT_EQ(::stat(rom.access.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replace_file_atomically(native_file_system(), rom.dir.file("new.ymx"),
                                        std::vector<uint8_t>{1, 2}));
    ::umask(mask);
    ASSERT_EQ(::stat(rom.dir.file("new.ymx").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

} // namespace
} // namespace kavelo
