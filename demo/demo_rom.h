#pragma once
// A synthetic ROM image for demonstrations and tests, since the game's own ROM cannot be
// shipped: the serial at 0x180, the 19 tracks at their Track table offsets, each shaped
// like the game's: a header with its own channel counts (7 FM entries on tracks 8 and 18,
// no PSG entry on track 17, 6 and 3 elsewhere), a short original tune in the game's stream
// format (demo/demo_tune.h), and instrument voices running to its end (33 on track 16, 1-9
// elsewhere). The sound driver's tables, its DAC program and the drum samples lie where the
// game keeps them, so the tracks play as the game's would.

#include "rom/cartridge_checksum.h"
#include "rom/voice_record.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kavelo {

inline constexpr std::size_t demo_rom_size = 512 * 1024;

struct demo_voice {
    std::string_view name;
    voice_record record; // working order
};

// The instrument voices the demo tracks draw from.
std::span<const demo_voice> demo_voices();

std::vector<uint8_t> make_demo_rom();

// One track of the demo ROM as a file of its own (binary track mode).
std::vector<uint8_t> make_demo_track(int32_t track_index);

} // namespace kavelo
