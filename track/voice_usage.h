#pragma once
// Which channels of a track select each voice, and how many notes each channel plays
// with it before it first jumps back to repeat: what an edit of the voice will change.

#include "track/track_interpreter.h"

#include <array>
#include <cstdint>
#include <map>

namespace kavelo {

struct voice_use {
    std::array<bool, music_channel_count> selected{}; // the channel loads the voice
    std::array<int32_t, music_channel_count> notes{}; // notes the channel plays with it
};

struct track_voice_usage {
    std::map<int32_t, voice_use> voices; // by voice number, only voices some channel selects
    int64_t frames = 0;                  // the first loop's length (or up to the end or limit)
    bool looped = false;                 // every playing channel jumped back
};

// Runs the track from its start until every playing channel has jumped back once, no
// channel plays, or `max_frames` have run.
track_voice_usage first_loop_voice_usage(track_interpreter& driver, int64_t max_frames);

} // namespace kavelo
