#include "demo/demo_rom.h"
#include "rom/file_image.h"
#include "rom/track_header.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kavelo {
namespace {

const voice_record edited{0x3A, 0x71, 0x02, 0x13, 0x04, 0x1F, 0x5F, 0x9F, 0xDF,
                          0x00, 0x01, 0x82, 0x03, 0x04, 0x05, 0x06, 0x07, 0xF0,
                          0x1E, 0x2D, 0x3C, 0x7F, 0x00, 0x10, 0x20};

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
    test::failing_file_system fs;
    rom_access access;
    std::vector<uint8_t> original;
    explicit opened_rom(std::vector<uint8_t> bytes, file_mode mode = file_mode::rom_image)
        : access{fs, dir.file("rom.bin"), mode, log.sink()}, original(std::move(bytes)) {
        test::write_bytes(access.path, original);
    }
    std::vector<uint8_t> on_disk() const { return test::read_bytes(access.path); }
    std::size_t files_in_folder() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

voice_table loaded(const rom_access& access, uint32_t start) {
    voice_table table;
    EXPECT_EQ(load_track_voices(access, start, table).code, result_done);
    return table;
}

TEST(CommitVoice, WritesExactlyTheVoiceSlotInRomOrder) {
    opened_rom rom(make_demo_rom());
    const track_entry& track = track_table[2];
    voice_table table = loaded(rom.access, track.start);
    ASSERT_GE(table.count, 4);

    ASSERT_EQ(commit_voice(rom.access, track.start, table, 3, edited).code, result_done);
    const std::vector<uint8_t> after = rom.on_disk();
    const uint32_t table_start =
        track.start + (rom.original[track.start] << 8 | rom.original[track.start + 1]);
    const std::size_t slot = table_start + 25 * 3;
    for (std::size_t at : differing_bytes(rom.original, after)) {
        EXPECT_GE(at, slot);
        EXPECT_LT(at, slot + 25);
    }
    const voice_record stored = swap_voice_order(edited);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(),
                           after.begin() + static_cast<std::ptrdiff_t>(slot)));
    EXPECT_EQ(after.size(), rom.original.size());
    EXPECT_EQ(table.voices[3], edited);
    // The edit leaves the demo ROM's checksum stale, which a third line says.
    ASSERT_EQ(rom.log.lines.size(), 3u);
    EXPECT_EQ(rom.log.lines[0], "  * Writing changes to ROM");
    EXPECT_EQ(rom.log.lines[1], "  * Voice Edited successfully!");
    EXPECT_EQ(rom.log.lines[2].rfind("  * Note: the cartridge checksum", 0), 0u);
    EXPECT_EQ(loaded(rom.access, track.start).voices[3], edited);
}

TEST(CommitVoice, CommittingTheLoadedVoiceTwiceLeavesTheFileAsItWas) {
    opened_rom rom(make_demo_rom());
    voice_table table = loaded(rom.access, track_table[8].start);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(commit_voice(rom.access, track_table[8].start, table, 1, table.voices[1]).code,
                  result_done);
    }
    EXPECT_EQ(rom.on_disk(), rom.original);
    EXPECT_EQ(rom.log.lines.size(), 4u);
    EXPECT_EQ(rom.files_in_folder(), 1u);
}

TEST(CommitVoice, BareTrackSlotIsTableOffsetPlus25PerVoice) {
    opened_rom track(make_demo_track(4), file_mode::bare_track);
    voice_table table = loaded(track.access, 0);
    ASSERT_GE(table.count, 2);
    ASSERT_EQ(commit_voice(track.access, 0, table, 1, edited).code, result_done);
    const std::size_t slot = (track.original[0] << 8 | track.original[1]) + 25;
    const auto changed = differing_bytes(track.original, track.on_disk());
    ASSERT_FALSE(changed.empty());
    EXPECT_GE(changed.front(), slot);
    EXPECT_LT(changed.back(), slot + 25);
}

TEST(CommitVoice, TakesTheTableOffsetAnewFromTheFile) {
    opened_rom track(make_demo_track(2), file_mode::bare_track);
    voice_table table = loaded(track.access, 0);
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
}

TEST(CommitVoice, RefusesEmptyTablesAndSlotsOutsideTheFile) {
    opened_rom rom(make_demo_rom());
    voice_table table = loaded(rom.access, track_table[0].start);
    EXPECT_EQ(commit_voice(rom.access, track_table[0].start, table, table.count, edited).code,
              result_refused);
    voice_table empty;
    op_result result = commit_voice(rom.access, track_table[0].start, empty, 0, edited);
    EXPECT_EQ(result.code, result_refused);
    EXPECT_NE(result.problem.find("no voices"), std::string::npos);

    // The file shrank after the load: the slot now lies past its end.
    std::vector<uint8_t> cut = rom.original;
    cut.resize(track_table[0].end - 10);
    test::write_bytes(rom.access.path, cut);
    EXPECT_EQ(commit_voice(rom.access, track_table[0].start, table, table.count - 1, edited).code,
              result_refused);
    EXPECT_EQ(rom.on_disk(), cut);
    EXPECT_TRUE(rom.log.lines.empty());
}

TEST(CommitVoice, UnreadableFileGivesZeroAndWritesNothing) {
    opened_rom rom(make_demo_rom());
    voice_table table = loaded(rom.access, track_table[0].start);
    const voice_record before = table.voices[0];
    rom_access missing{rom.fs, rom.dir.file("gone.bin"), file_mode::rom_image, rom.log.sink()};
    EXPECT_EQ(commit_voice(missing, track_table[0].start, table, 0, edited).code,
              result_cannot_read);
    EXPECT_EQ(table.voices[0], before);
    EXPECT_TRUE(rom.log.lines.empty());
    EXPECT_FALSE(std::filesystem::exists(missing.path));
}

TEST(CommitVoice, ReadOnlyFileOrFolderIsNotWritten) {
    opened_rom rom(make_demo_rom());
    voice_table table = loaded(rom.access, track_table[1].start);
    ::chmod(rom.access.path.c_str(), 0444);
    EXPECT_EQ(commit_voice(rom.access, track_table[1].start, table, 0, edited).code,
              result_write_failed);
    ::chmod(rom.access.path.c_str(), 0644);
    EXPECT_EQ(rom.on_disk(), rom.original);

    ::chmod(rom.dir.path().c_str(), 0555);
    if (::geteuid() != 0) { // root ignores folder permissions
        EXPECT_EQ(commit_voice(rom.access, track_table[1].start, table, 0, edited).code,
                  result_write_failed);
    }
    ::chmod(rom.dir.path().c_str(), 0755);
    EXPECT_EQ(rom.on_disk(), rom.original);
}

TEST(CommitVoice, ReplacedFileKeepsItsPermissions) {
    opened_rom rom(make_demo_rom());
    ::chmod(rom.access.path.c_str(), 0640);
    voice_table table = loaded(rom.access, track_table[1].start);
    ASSERT_EQ(commit_voice(rom.access, track_table[1].start, table, 0, edited).code, result_done);
    struct stat info {};
    ASSERT_EQ(::stat(rom.access.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(AtomicReplace, NewFilesGetTheUsualPermissions) {
    test::scratch_dir dir;
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replace_file_atomically(native_file_system(), dir.file("new.ymx"),
                                        std::vector<uint8_t>{1, 2}));
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("new.ymx").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(TrackHeader, ReadAndCommitLeavesTheFileUnchanged) {
    opened_rom rom(make_demo_rom());
    track_header header{};
    ASSERT_EQ(read_track_header(rom.access, track_table[5].start, header).code, result_done);
    ASSERT_EQ(header.size(), 48u);
    EXPECT_TRUE(std::equal(header.bytes.begin(), header.bytes.begin() + 48,
                           rom.original.begin() + track_table[5].start));
    ASSERT_EQ(commit_track_header(rom.access, track_table[5].start, header).code, result_done);
    EXPECT_EQ(rom.on_disk(), rom.original);
    EXPECT_EQ(rom.log.lines, (std::vector<std::string>{"  * Writing changes to ROM",
                                                       "  * Header Edited successfully!"}));
}

TEST(TrackHeader, SongTempoChangesExactlyByteFive) {
    opened_rom rom(make_demo_rom());
    track_header header{};
    ASSERT_EQ(read_track_header(rom.access, track_table[9].start, header).code, result_done);
    header[5] = 7;
    ASSERT_EQ(commit_track_header(rom.access, track_table[9].start, header).code, result_done);
    auto expected = rom.original;
    expected[track_table[9].start + 5] = 7;
    EXPECT_EQ(rom.on_disk(), expected);
}

TEST(TrackHeader, BareTrackHeaderIsTheFirst48Bytes) {
    opened_rom track(make_demo_track(3), file_mode::bare_track);
    track_header header{};
    ASSERT_EQ(read_track_header(track.access, 0, header).code, result_done);
    ASSERT_EQ(header.size(), 48u);
    EXPECT_TRUE(
        std::equal(header.bytes.begin(), header.bytes.begin() + 48, track.original.begin()));
}

TEST(TrackHeader, ReadsAndWritesOnlyTheHeadersOwnLength) {
    opened_rom rom(make_demo_rom());
    const struct {
        int track;
        std::size_t size;
    } cases[] = {{17, 30}, {8, 52}, {0, 48}};
    for (const auto& c : cases) {
        const uint32_t start = track_table[c.track].start;
        track_header header{};
        header.bytes.fill(0xAA);
        ASSERT_EQ(read_track_header(rom.access, start, header).code, result_done);
        ASSERT_EQ(header.size(), c.size) << c.track;
        EXPECT_TRUE(std::equal(header.bytes.begin(), header.bytes.begin() + c.size,
                               rom.original.begin() + start));
        // Bytes past the header's length are never written, whatever the copy holds there.
        std::fill(header.bytes.begin() + c.size, header.bytes.end(), uint8_t{0xAA});
        header[5] = 0x33;
        ASSERT_EQ(commit_track_header(rom.access, start, header).code, result_done);
        auto expected = rom.original;
        expected[start + 5] = 0x33;
        EXPECT_EQ(rom.on_disk(), expected) << c.track;
        test::write_bytes(rom.access.path, rom.original);
    }
}

TEST(TrackHeader, RefusesShortFilesAndKeepsTheCopyOnFailure) {
    opened_rom tiny(std::vector<uint8_t>(47, 9), file_mode::bare_track);
    track_header header{};
    header.bytes.fill(0x55);
    EXPECT_EQ(read_track_header(tiny.access, 0, header).code, result_refused);
    EXPECT_EQ(header[0], 0x55);
    EXPECT_EQ(commit_track_header(tiny.access, 0, header).code, result_refused);
    EXPECT_EQ(tiny.on_disk(), tiny.original);

    opened_rom rom(make_demo_rom());
    rom.fs.fault = test::write_fault::replace;
    EXPECT_EQ(commit_track_header(rom.access, track_table[0].start, header).code,
              result_write_failed);
    EXPECT_EQ(rom.on_disk(), rom.original);
    EXPECT_EQ(rom.log.lines, std::vector<std::string>{"  * Writing changes to ROM"});
}

} // namespace
} // namespace kavelo
