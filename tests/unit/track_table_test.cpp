#include "rom/rom_access.h"
#include "rom/track_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kavelo {
namespace {

TEST(TrackTable, TracksAreContiguousAndEachOffsetEndsAtTheNextStart) {
    for (std::size_t i = 0; i < track_table.size(); ++i) {
        const track_entry& track = track_table[i];
        if (i + 1 < track_table.size()) {
            EXPECT_EQ(track.end, track_table[i + 1].start) << track.name;
        }
        EXPECT_EQ(track_end_offset(static_cast<int32_t>(track.start)), track.end) << track.name;
        EXPECT_EQ(track_end_offset(static_cast<int32_t>(track.end) - 1), track.end) << track.name;
    }
    EXPECT_EQ(track_table.front().start, 0x745DCu);
    EXPECT_EQ(track_table.back().end, 0x78B44u);
    EXPECT_EQ(track_end_offset(0x78B44), 0u);  // past the last track nothing ends
    EXPECT_EQ(track_end_offset(-5), 0x74D44u); // before the first, the first track's end
}

TEST(TrackTable, FindsTracksByIndexOrName) {
    const std::pair<const char*, std::optional<int32_t>> rows[] = {
        {"18", 18}, {"prism gem", 18}, {"1 Up", 7}, {"19", {}}, {"-1", {}}, {"3x", {}}};
    for (const auto& [text, index] : rows) {
        EXPECT_EQ(find_track(text), index) << text;
    }
}

TEST(RomIdentity, SerialAt0x180DecidesTheModeFromTheFileStartAlone) {
    test::scratch_dir dir;
    std::vector<uint8_t> head(0x18E, 0x20);
    std::memcpy(head.data() + 0x180, "GM 00004417-00", 14);
    test::write_bytes(dir.file("short.bin"), head);
    EXPECT_TRUE(rom_is_compatible(native_file_system(), dir.file("short.bin")));
    for (const auto& [at, byte] : {std::pair{0x18D, '1'}, std::pair{0x185, '\0'}}) {
        auto changed = head;
        changed[at] = static_cast<uint8_t>(byte);
        EXPECT_FALSE(rom_serial_matches(changed)) << at;
    }
    // A file shorter than 0x18E bytes never matches, even when the part it has does.
    EXPECT_FALSE(rom_serial_matches(std::span(head).first(0x18D)));
    EXPECT_FALSE(rom_is_compatible(native_file_system(), dir.file("missing.bin")));
}

} // namespace
} // namespace kavelo
