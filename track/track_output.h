#pragma once
// What the two outputs of a played track share, the sound (track_player) and its VGM log
// (track_vgm): the console's clocks, the drum kit a track plays with, the writes that stop
// the music, and the course of a whole-track play to its limit.

#include "drums/drum_kit.h"
#include "track/driver_write.h"
#include "track/track_interpreter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr uint32_t track_output_rate = 44100;
inline constexpr uint32_t frames_per_driver_frame = track_output_rate / 60;
inline constexpr uint32_t release_tail_frames = track_output_rate; // after a stop
// The console's YM2612 clock (NTSC: 53693175 / 7).
inline constexpr int32_t console_fm_clock = 7670453;

// When a play of a whole track ends: after `seconds` of output, or after `loops` loops or
// at the track's end (neither set: the first loop or the track's end).
struct play_limit {
    double seconds = -1.0;
    int32_t loops = -1;
};
// A track that neither ends nor loops plays this long at most.
inline constexpr double longest_unlimited_play = 600.0;

// Every FM channel keyed off and every PSG channel silenced, the end of the music before
// its release tail.
inline constexpr std::array<driver_write, 10> music_stop_writes = {{
    {write_target::ym0, 0x28, 0x00},
    {write_target::ym0, 0x28, 0x01},
    {write_target::ym0, 0x28, 0x02},
    {write_target::ym0, 0x28, 0x04},
    {write_target::ym0, 0x28, 0x05},
    {write_target::ym0, 0x28, 0x06},
    {write_target::psg, 0, 0x9F},
    {write_target::psg, 0, 0xBF},
    {write_target::psg, 0, 0xDF},
    {write_target::psg, 0, 0xFF},
}};

// The drums a track plays with: a ROM image's own kit. A bare track, or a ROM whose kit
// cannot be found, is refused with the one message that says the drums are silent.
op_result track_drum_kit(const track_source& source, drum_kit& kit);

// A track played out in 44100 Hz output frames, its driver run as the output reaches each
// of its frames (the first at frame 0).
class track_output {
  public:
    virtual ~track_output() = default;
    virtual const track_interpreter& driver() const = 0;
    virtual void advance(uint32_t frames) = 0;
    // No channel plays any more, or stop_music was called.
    virtual bool music_stopped() const = 0;
    // Makes the music_stop_writes and stops the driver, so what follows is the release.
    virtual void stop_music() = 0;
};

// Plays to the limit: exactly `seconds` of output; or driver frame by driver frame until
// the loops are done, the track ends or longest_unlimited_play has passed, then the music
// is stopped and release_tail_frames follow. Returns the output frames played.
uint64_t play_to_limit(track_output& output, const play_limit& limit);

} // namespace kavelo
