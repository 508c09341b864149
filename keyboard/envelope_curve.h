#pragma once
// The attenuation one operator's envelope goes through after a key-on and a key-off,
// stepped frame by frame with the core's own rate tables and attack curve at the
// preview's clock and 44100 Hz, for drawing the envelope of a voice.

#include "rom/voice_record.h"

#include <cstdint>
#include <vector>

namespace kavelo {

struct envelope_request {
    int32_t op = 0;             // register order: 0 OP1, 1 OP2, 2 OP3, 3 OP4
    uint8_t key_code = 0;       // of the note played, block << 2 | F-number class
    uint32_t key_off_frame = 0; // frames after the key-on
    uint32_t frames = 0;        // frames drawn
    uint32_t stride = 1;        // one point every this many frames
};

// Envelope attenuation (0 loudest, 4095 silent; TL not added) after 0, stride,
// 2 x stride ... frames, frames / stride + 1 points.
std::vector<int32_t> envelope_curve(const voice_record& voice, const envelope_request& request);

// A time span for the picture of this voice: the key-off a little after the slowest first
// decay ends (or its attack, if it never decays), the end when the slowest release is
// down, each bounded so a voice that never decays still gets a readable picture.
struct envelope_timing {
    uint32_t key_off_frame = 0;
    uint32_t frames = 0;
};
envelope_timing envelope_picture_timing(const voice_record& voice, uint8_t key_code);

// The Voice record byte of an operator (register order) in a group of four:
// 0 DT/MUL, 1 RS/AR, 2 AM/D1R, 3 D2R, 4 D1L/RR, 5 TL.
inline std::size_t operator_byte(int32_t op, int32_t group) {
    return static_cast<std::size_t>(1 + 4 * group + (3 - op));
}

} // namespace kavelo
