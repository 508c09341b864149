#pragma once
// The game's 19 music tracks: display name and where each lies in the ROM image.
// Tracks are contiguous; each ends where the next begins.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kavelo {

struct track_entry {
    std::string_view name;
    uint32_t start;
    uint32_t end;
};

inline constexpr std::array<track_entry, 19> track_table{{
    {"Copperleaf Zone", 0x745DC, 0x74D44}, {"Tidewell Zone", 0x74D44, 0x75194},
    {"Basalt Zone", 0x75194, 0x755F2},     {"Moonrail Zone", 0x755F2, 0x75A60},
    {"Neon Quay Zone", 0x75A60, 0x75EAC},  {"Rustworks Zone", 0x75EAC, 0x763FC},
    {"Invincibility", 0x763FC, 0x765E2},   {"1 Up", 0x765E2, 0x766D0},
    {"Special Stage", 0x766D0, 0x769FC},   {"Title Screen", 0x769FC, 0x76BA8},
    {"Ending Sequence", 0x76BA8, 0x76E42}, {"Overlord", 0x76E42, 0x7705E},
    {"Final Zone", 0x7705E, 0x7727A},      {"Act Clear", 0x7727A, 0x773D0},
    {"Game Over", 0x773D0, 0x77520},       {"Continue", 0x77520, 0x7767E},
    {"Credits", 0x7767E, 0x7894C},         {"Underwater", 0x7894C, 0x78A76},
    {"Prism Gem", 0x78A76, 0x78B44},
}};

inline constexpr int32_t track_count = static_cast<int32_t>(track_table.size());

// End offset of the track that holds `offset`; 0 at or past the end of the last track.
uint32_t track_end_offset(int32_t offset);

// A track index "0".."18" or a display name (case-insensitive).
std::optional<int32_t> find_track(std::string_view index_or_name);

} // namespace kavelo
