#include "track/track_output.h"

#include <algorithm>
#include <cmath>

namespace kavelo {

op_result track_drum_kit(const track_source& source, drum_kit& kit) {
    if (source.mode != file_mode::rom_image) {
        return refused("A bare track holds no drum samples: the drum channel is silent.");
    }
    return find_drum_kit(source.image, kit);
}

uint64_t play_to_limit(track_output& output, const play_limit& limit) {
    uint64_t played = 0;
    const auto advance = [&](uint32_t frames) {
        output.advance(frames);
        played += frames;
    };
    if (limit.seconds >= 0) {
        auto left = static_cast<uint64_t>(std::llround(limit.seconds * track_output_rate));
        while (left > 0) {
            const auto n = static_cast<uint32_t>(std::min<uint64_t>(left, track_output_rate));
            advance(n);
            left -= n;
        }
        return played;
    }
    const int32_t loops = std::max(limit.loops, 1);
    const auto most = static_cast<int64_t>(longest_unlimited_play * 60);
    while (!output.music_stopped() && output.driver().loops_completed() < loops &&
           output.driver().frames_run() < most) {
        advance(frames_per_driver_frame);
    }
    output.stop_music();
    advance(release_tail_frames);
    return played;
}

} // namespace kavelo
