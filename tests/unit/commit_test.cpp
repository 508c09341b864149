// Voice commits into a file on disk: exactly their own bytes, the table offset read anew,
// refusals that write nothing, and the file's permissions kept.

#include "demo/demo_rom.h"
#include "disk_rom.h"
#include "rom/file_image.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace kavelo {
namespace {

const voice_record edited = test::counting_record(0x40);

TEST(CommitVoice, BareTrackSlotTakesTheTableOffsetAnewFromTheFile) {
    test::disk_rom track(make_demo_track(2), file_mode::bare_track);
    voice_table table = track.loaded(0);
    // Another program moves the table 25 bytes on between load and commit.
    std::vector<uint8_t> moved = track.original;
    const uint16_t offset = static_cast<uint16_t>((moved[0] << 8 | moved[1]) + 25);
    moved[0] = static_cast<uint8_t>(offset >> 8);
    moved[1] = static_cast<uint8_t>(offset);
    test::write_bytes(track.access.path, moved);
    ASSERT_EQ(commit_voice(track.access, 0, table, 0, edited).code, result_done);
    const voice_record stored = swap_voice_order(edited);
    std::copy(stored.begin(), stored.end(), moved.begin() + offset);
    EXPECT_EQ(track.on_disk(), moved);
}

TEST(CommitVoice, RefusesWhatItCannotWriteAndWritesNothing) {
    test::disk_rom rom(make_demo_rom());
    const uint32_t start = track_table[0].start;
    voice_table table = rom.loaded(start);
    EXPECT_EQ(commit_voice(rom.access, start, table, table.count, edited).code, result_refused);
    voice_table none;
    const op_result empty = commit_voice(rom.access, start, none, 0, edited);
    EXPECT_EQ(empty.code, result_refused);
    EXPECT_NE(empty.problem.find("no voices"), std::string::npos);
    rom_access missing{native_file_system(), rom.dir.file("gone.bin"), file_mode::rom_image,
                       rom.log.sink()};
    EXPECT_EQ(commit_voice(missing, start, table, 0, edited).code, result_cannot_read);
    EXPECT_FALSE(std::filesystem::exists(missing.path));

    // The file shrank after the load: the slot now ends past it, refused as the load would be.
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
    test::disk_rom rom(make_demo_rom());
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
