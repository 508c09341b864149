// The Track table, ROM identification and the track header layout.

#include "rom/rom_access.h"
#include "rom/track_header_layout.h"
#include "rom/track_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
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

constexpr std::array<std::size_t, 6> fixed_fm{12, 16, 20, 24, 28, 0};
constexpr std::array<std::size_t, 3> fixed_psg{32, 38, 44};

// Each row: header bytes 2-3, then the layout they give: the key modifier offsets of FM
// channels 1-6 and PSG channels 1-3, 0 where the header has no such channel; every volume
// modifier follows its key modifier.
TEST(TrackHeaderLayout, ChannelCountsPlaceEveryModifier) {
    const struct {
        uint8_t fm_entries, psg_entries;
        bool counted;
        std::size_t size;
        std::array<std::size_t, 6> fm_keys;
        std::array<std::size_t, 3> psg_keys;
    } cases[] = {
        {1, 0, true, 10, {}, {}}, // the drum entry alone
        {3, 2, true, 30, {12, 16, 0, 0, 0, 0}, {20, 26, 0}},
        {7, 3, true, 52, {12, 16, 20, 24, 28, 32}, {36, 42, 48}},
        // Bytes that are not counts keep the fixed 48-byte layout.
        {0, 0, false, 48, fixed_fm, fixed_psg},
        {8, 3, false, 48, fixed_fm, fixed_psg},
        {7, 4, false, 48, fixed_fm, fixed_psg},
    };
    for (const auto& c : cases) {
        const track_header_layout layout = header_layout(c.fm_entries, c.psg_entries);
        SCOPED_TRACE(testing::Message() << int(c.fm_entries) << "/" << int(c.psg_entries));
        EXPECT_EQ(layout.counted, c.counted);
        EXPECT_EQ(layout.size, c.size);
        for (const auto modifier : {channel_modifier::key, channel_modifier::volume}) {
            const std::size_t step = modifier == channel_modifier::volume ? 1 : 0;
            for (int n = 0; n <= 7; ++n) { // the drum entry and channels past the header: none
                const std::size_t key = n >= 1 && n <= 6 ? c.fm_keys[n - 1] : 0;
                EXPECT_EQ(channel_modifier_byte(layout, header_channel::fm, n, modifier),
                          key ? std::optional(key + step) : std::nullopt)
                    << "FM " << n;
            }
            for (int m = 0; m <= 4; ++m) {
                const std::size_t key = m >= 1 && m <= 3 ? c.psg_keys[m - 1] : 0;
                EXPECT_EQ(channel_modifier_byte(layout, header_channel::psg, m, modifier),
                          key ? std::optional(key + step) : std::nullopt)
                    << "PSG " << m;
            }
        }
    }
    // The counts are header bytes 2 and 3; too few bytes to hold them give the fixed layout.
    EXPECT_EQ(header_layout_of(std::array<uint8_t, 4>{0x01, 0x20, 7, 0}).size, 34u);
    EXPECT_FALSE(header_layout_of(std::array<uint8_t, 3>{0x01, 0x20, 7}).counted);
}

} // namespace
} // namespace kavelo
