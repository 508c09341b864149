#pragma once
// A track's VGM log: the writes the track player makes, at the output frames it makes
// them, as a VGM 1.60 file for the YM2612 and the SN76489, the drums as a DAC stream
// (vgm_drums). Driver frames lie 735 output frames apart; the length and the end follow
// the same limit as the sound (play_to_limit). A bare track, or a ROM image without its
// drum kit, writes no DAC data. The log has no loop point.

#include "track/track_output.h"
#include "vgm/vgm_log_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavelo {

// Refused, with the driver's problem, when the track's header does not play.
struct track_vgm : op_result {
    std::vector<uint8_t> bytes;        // empty when the track does not play
    std::vector<std::string> messages; // of the driver and the drums
    uint64_t frames = 0;               // output frames at 44100 Hz
};

track_vgm make_track_vgm(track_source source, const play_limit& limit, const vgm_tags& tags);

} // namespace kavelo
