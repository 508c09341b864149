#pragma once
// Plays the YM2612 part of a VGM command stream (already decompressed) through the FM
// core at 44100 Hz: register writes, waits, the DAC bytes of 0x8n and the DAC streams
// (0x90-0x95) of the first YM2612. Commands of other chips are skipped by their lengths.

#include "vgm/vgm_file.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

inline constexpr int64_t vgm_max_frames = int64_t{1} << 28;

// What a playback met that the caller may want to tell.
struct vgm_playback_notes {
    // DAC writes 0x8n with no byte left in the data bank (real logs hold thousands after
    // an empty data block): each is played as its wait alone.
    int64_t dac_writes_without_data = 0;
};

// Renders until the end command, or until `max_frames` frames when it is not negative;
// `samples` receives left, right for each frame. A log without commands (its data offset
// is its end) is silence: no frames. Refused, at the offset of the command at fault, when
// the data is not a VGM file, holds an unknown command or ends inside a command, or uses
// what this player does not follow (compressed YM2612 data blocks, see vgm_player.cpp).
vgm_result play_vgm(std::span<const uint8_t> file, int64_t max_frames, std::vector<int8_t>& samples,
                    vgm_playback_notes* notes = nullptr);

} // namespace kavelo
