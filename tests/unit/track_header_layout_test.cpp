#include "rom/track_header_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace kavelo {
namespace {

// Each row: header bytes 2-3, then the layout they give. Key modifier offsets
// of FM channels 1-6 and PSG channels 1-3, 0 where the header has no such
// channel; every volume modifier follows its key modifier.
struct layout_case {
    uint8_t fm_entries, psg_entries;
    bool counted;
    std::size_t size;
    std::array<std::size_t, 6> fm_keys;
    std::array<std::size_t, 3> psg_keys;
};

constexpr std::array<std::size_t, 6> fixed_fm{12, 16, 20, 24, 28, 0};
constexpr std::array<std::size_t, 3> fixed_psg{32, 38, 44};

constexpr layout_case layout_cases[] = {
    // Every FM entry count with three PSG entries.
    {1, 3, true, 28, {0, 0, 0, 0, 0, 0}, {12, 18, 24}},
    {3, 3, true, 36, {12, 16, 0, 0, 0, 0}, {20, 26, 32}},
    {5, 3, true, 44, {12, 16, 20, 24, 0, 0}, {28, 34, 40}},
    {6, 3, true, 48, fixed_fm, fixed_psg},
    {7, 3, true, 52, {12, 16, 20, 24, 28, 32}, {36, 42, 48}},
    // Every PSG entry count.
    {6, 0, true, 30, fixed_fm, {0, 0, 0}},
    {6, 2, true, 42, fixed_fm, {32, 38, 0}},
    {7, 0, true, 34, {12, 16, 20, 24, 28, 32}, {0, 0, 0}},
    {7, 2, true, 46, {12, 16, 20, 24, 28, 32}, {36, 42, 0}},
    {1, 0, true, 10, {0, 0, 0, 0, 0, 0}, {0, 0, 0}},
    // Bytes that are not counts keep the fixed 48-byte layout.
    {0, 0, false, 48, fixed_fm, fixed_psg},
    {8, 3, false, 48, fixed_fm, fixed_psg},
    {7, 4, false, 48, fixed_fm, fixed_psg},
    {6, 0x80, false, 48, fixed_fm, fixed_psg},
};

std::optional<std::size_t> expected_byte(std::size_t key, channel_modifier modifier) {
    if (key == 0) {
        return std::nullopt;
    }
    return key + (modifier == channel_modifier::volume ? 1 : 0);
}

TEST(TrackHeaderLayout, ChannelCountsPlaceEveryModifier) {
    for (const layout_case& c : layout_cases) {
        const track_header_layout layout = header_layout(c.fm_entries, c.psg_entries);
        SCOPED_TRACE(testing::Message() << int(c.fm_entries) << "/" << int(c.psg_entries));
        EXPECT_EQ(layout.counted, c.counted);
        EXPECT_EQ(layout.size, c.size);
        for (channel_modifier modifier : {channel_modifier::key, channel_modifier::volume}) {
            for (int n = 1; n <= 6; ++n) {
                EXPECT_EQ(channel_modifier_byte(layout, header_channel::fm, n, modifier),
                          expected_byte(c.fm_keys[n - 1], modifier))
                    << "FM " << n;
            }
            for (int m = 1; m <= 3; ++m) {
                EXPECT_EQ(channel_modifier_byte(layout, header_channel::psg, m, modifier),
                          expected_byte(c.psg_keys[m - 1], modifier))
                    << "PSG " << m;
            }
        }
    }
    // The drum entry and channels past the header have no field.
    const track_header_layout full = header_layout(7, 3);
    for (const auto& [kind, n] :
         {std::pair{header_channel::fm, 0}, std::pair{header_channel::fm, 7},
          std::pair{header_channel::psg, 0}, std::pair{header_channel::psg, 4}}) {
        EXPECT_EQ(channel_modifier_byte(full, kind, n, channel_modifier::key), std::nullopt) << n;
    }
}

TEST(TrackHeaderLayout, ReadsTheCountsFromHeaderBytesTwoAndThree) {
    const std::array<uint8_t, 4> seven_fm{0x01, 0x20, 7, 0};
    EXPECT_EQ(header_layout_of(seven_fm).size, 34u);
    // Too few bytes to hold the counts: the fixed layout.
    const std::array<uint8_t, 3> cut{0x01, 0x20, 7};
    EXPECT_FALSE(header_layout_of(cut).counted);
    EXPECT_EQ(header_layout_of(cut).size, 48u);
}

} // namespace
} // namespace kavelo
