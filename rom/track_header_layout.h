#pragma once
// Where a track header keeps its channels' key and volume modifiers. Byte 2 counts the
// header's FM entries (4 bytes each from byte 6; entry 0 is the drum channel, then FM
// channels 1, 2, ...) and byte 3 its PSG entries (6 bytes each, after the FM entries);
// each entry holds a channel pointer, then the key and the volume modifier. Bytes 2-3
// outside 1-7 and 0-3 are not counts the game writes, so such a header keeps the fixed
// 48-byte layout of five FM and three PSG channels that the editor has always used.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kavelo {

inline constexpr std::size_t fixed_header_size = 48;
inline constexpr std::size_t track_header_max_size = 52; // 7 FM and 3 PSG entries
inline constexpr int max_fm_channels = 6;                // FM channels apart from the drum
inline constexpr int max_psg_channels = 3;

enum class header_channel : uint8_t { fm, psg };
enum class channel_modifier : uint8_t { key = 0, volume = 1 };

struct track_header_layout {
    bool counted = false; // bytes 2-3 give the entry counts; otherwise the fixed layout
    int fm_entries = 6;   // drum entry included
    int psg_entries = 3;
    std::size_t size = fixed_header_size;

    int fm_channels() const { return fm_entries - 1; }
    int psg_channels() const { return psg_entries; }
};

// The layout that header bytes 2 and 3 describe.
track_header_layout header_layout(uint8_t fm_entries, uint8_t psg_entries);

// The layout of a header from its first bytes; fewer than 4 give the fixed layout.
track_header_layout header_layout_of(std::span<const uint8_t> head);

// Offset of a channel's modifier inside the header, or nothing when the header has no
// such channel. FM channels count from 1 (the drum entry has no field), PSG from 1.
std::optional<std::size_t> channel_modifier_byte(const track_header_layout& layout,
                                                 header_channel kind, int channel,
                                                 channel_modifier modifier);

} // namespace kavelo
