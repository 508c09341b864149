#pragma once
// A track's voice table: a big-endian offset in the first two track bytes, then
// stored voices (ROM order) running to the end of the track.

#include "rom/results.h"
#include "rom/rom_access.h"
#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <span>

namespace kavelo {

// The game's longest table holds 33 voices; 64 leaves room for edited tracks.
inline constexpr int32_t voice_table_capacity = 64;

struct voice_table {
    std::array<voice_record, voice_table_capacity> voices{};
    int32_t count = 0; // valid entries, at most voice_table_capacity
};

// Where a track's stored voices lie in a file image, checked against its size.
struct voice_table_extent {
    uint32_t table_start = 0;
    int32_t voices_in_track = 0; // whole records between the table start and the track end
};

// Finds the voice table of the track at `start`; refuses a track that lies outside the
// image. In ROM mode the track ends at its Track table end, otherwise at the image end.
op_result locate_voice_table(std::span<const uint8_t> image, file_mode mode, uint32_t start,
                             voice_table_extent& extent);

// Reads the file and loads the track's voices in working order. On result_cannot_read
// or result_refused the table keeps its previous contents. A track holding more than
// the table's capacity loads the first ones and says so in the log.
op_result load_track_voices(const rom_access& access, uint32_t start, voice_table& table);

} // namespace kavelo
