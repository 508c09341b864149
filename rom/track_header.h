#pragma once
// The header at the start of a track: voice table offset, channel counts, tempo bytes
// and one entry per channel (rom/track_header_layout.h). Read and written as one block
// of the header's own length; bytes the program does not interpret are carried through.

#include "rom/results.h"
#include "rom/rom_access.h"
#include "rom/track_header_layout.h"

#include <array>
#include <cstdint>

namespace kavelo {

struct track_header {
    // The header's own bytes come first; the rest of the array is zero after a read.
    std::array<uint8_t, track_header_max_size> bytes{};

    track_header_layout layout() const { return header_layout_of(bytes); }
    std::size_t size() const { return layout().size; }
    uint8_t& operator[](std::size_t at) { return bytes[at]; }
    uint8_t operator[](std::size_t at) const { return bytes[at]; }
    // Two copies are the same header when their own bytes are.
    bool operator==(const track_header& other) const;
};

// Fills `header` from the file; on any failure it keeps its previous contents.
op_result read_track_header(const rom_access& access, uint32_t start, track_header& header);

// Writes the header's own bytes at `start` of a fresh copy of the file and rewrites it
// atomically; nothing past the header's length is touched.
op_result commit_track_header(const rom_access& access, uint32_t start, const track_header& header);

} // namespace kavelo
