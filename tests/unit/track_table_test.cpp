// The Track table and the track header layout.

#include "rom/track_header_layout.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

#include <array>

namespace kavelo {
namespace {

// An offset inside a track ends at that track's end; before the first track, at the first's.
TEST(TrackTable, OffsetsEndAtTheirTracksEnd) {
    const track_entry& track = track_table[3];
    EXPECT_EQ(track_end_offset(static_cast<int32_t>(track.end) - 1), track.end);
    EXPECT_EQ(track_end_offset(static_cast<int32_t>(track_table.back().end)), 0u);
    EXPECT_EQ(track_end_offset(-5), track_table[0].end);
}

// Header bytes 2-3 of 3 and 2: the drum entry, FM 1-2 and PSG 1-2 in 30 bytes, each volume
// modifier right after its key modifier. Counts past 7 FM or 3 PSG entries, or fewer than 4
// bytes, keep the fixed 48-byte layout.
TEST(TrackHeaderLayout, ChannelCountsPlaceEveryModifier) {
    using enum channel_modifier;
    const track_header_layout layout = header_layout(3, 2);
    EXPECT_TRUE(layout.counted);
    EXPECT_EQ(layout.size, 30u);
    EXPECT_EQ(channel_modifier_byte(layout, header_channel::fm, 2, key), 16u);
    EXPECT_EQ(channel_modifier_byte(layout, header_channel::psg, 1, key), 20u);
    EXPECT_EQ(channel_modifier_byte(layout, header_channel::psg, 2, volume), 27u);
    EXPECT_FALSE(channel_modifier_byte(layout, header_channel::fm, 0, key)); // the drum entry
    EXPECT_FALSE(channel_modifier_byte(layout, header_channel::fm, 3, volume));
    EXPECT_FALSE(channel_modifier_byte(layout, header_channel::psg, 3, key));
    const track_header_layout fixed = header_layout(8, 3);
    EXPECT_FALSE(fixed.counted);
    EXPECT_EQ(fixed.size, 48u);
    EXPECT_EQ(channel_modifier_byte(fixed, header_channel::psg, 1, volume), 33u);
    EXPECT_FALSE(channel_modifier_byte(fixed, header_channel::fm, 6, key));
    EXPECT_EQ(header_layout_of(std::array<uint8_t, 4>{0x01, 0x20, 7, 0}).size, 34u);
    EXPECT_FALSE(header_layout_of(std::array<uint8_t, 3>{0x01, 0x20, 7}).counted);
}

} // namespace
} // namespace kavelo
