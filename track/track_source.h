#pragma once
// What the track interpreter plays: the whole file's bytes, which may carry edits not yet
// saved (a voice table and header bytes from the editors, or voices from another file).

#include "rom/results.h"
#include "rom/rom_access.h"
#include "rom/track_header.h"
#include "rom/voice_record.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

struct track_source {
    std::vector<uint8_t> image; // the whole file
    file_mode mode = file_mode::rom_image;
    uint32_t track_start = 0; // 0 in a bare track
};

// Reads the file whole; the track is the one at `start`.
op_result read_track_source(const rom_access& access, uint32_t start, track_source& source);

// Puts a header's own bytes (as typed in the editor) at the track start; refused, with
// nothing put, when they do not fit in the file.
op_result put_track_header(track_source& source, const track_header& header);

// Puts voices (working order) in place of the track's first voices, as far as both go;
// returns how many were put.
int32_t put_track_voices(track_source& source, std::span<const voice_record> voices);

} // namespace kavelo
