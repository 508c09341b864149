#pragma once
// The demo tracks' music: a short original tune in the game's stream format for each
// track, four bars over C, A minor, F and G that repeat for ever. A lead with vibrato and
// a voice change half way, a bass whose figure is called once a bar and moved by
// transposes, PSG voices sharing the bass figure with their envelopes, noise hi-hats and
// a drum part with a loop and a timpani fill. Roomy tracks add a second phrase, a held
// pad, a panned counter voice and a crash; a small track shares its streams between
// channels, which the header's entries may point at freely.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavelo {

struct demo_tune_shape {
    int32_t track_index = 0;
    uint8_t fm_entries = 6; // drum entry included
    uint8_t psg_entries = 3;
    uint8_t divider = 1;
    int32_t voices = 1; // voice numbers used stay below this
    // The header's key displacements: FM channels 1-6, PSG channels 1-3.
    std::array<int8_t, 6> fm_transpose{};
    std::array<int8_t, 3> psg_transpose{};
    bool roomy = true; // the full arrangement; otherwise the small one
};

struct demo_tune {
    std::vector<uint8_t> streams;   // placed right after the header
    std::vector<uint16_t> entries;  // stream pointer of each header entry, FM then PSG
    std::vector<uint8_t> envelopes; // initial envelope of each PSG entry
};

// The streams for a header of `header_size` bytes (pointers count from the track start).
demo_tune compose_demo_tune(const demo_tune_shape& shape, std::size_t header_size);

} // namespace kavelo
