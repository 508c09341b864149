#pragma once
// The first 48 bytes of a track: voice table offset, tempo bytes and the channel
// modifiers. Read and written as one block; bytes the program does not interpret are
// carried through unchanged.

#include "rom/results.h"
#include "rom/rom_access.h"

#include <array>
#include <cstdint>

namespace kavelo {

inline constexpr std::size_t track_header_size = 48;
using track_header = std::array<uint8_t, track_header_size>;

// Fills `header` from the file; on any failure it keeps its previous contents.
op_result read_track_header(const rom_access& access, uint32_t start, track_header& header);

// Writes `header` at `start` of a fresh copy of the file and rewrites it atomically.
op_result commit_track_header(const rom_access& access, uint32_t start, const track_header& header);

} // namespace kavelo
