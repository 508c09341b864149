#pragma once
// A sound device for the unit tests, which calls the renderer only when a test plays frames
// and refuses to start when told to; and the core's render of a track to compare with.

#include "sound/sound_stream.h"
#include "sound/track_playback.h"
#include "track/track_player.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kavelo::test {

struct fake_sound_stream : sound_stream {
    std::string refusal; // start fails with this reason when set
    stream_renderer* renderer = nullptr;

    bool start(stream_renderer& r, std::string& problem) override {
        if (!refusal.empty()) {
            problem = refusal;
            return false;
        }
        renderer = &r;
        return true;
    }
    void stop() override { renderer = nullptr; }
    bool running() const override { return renderer != nullptr; }
    void locked(const std::function<void()>& action) override { action(); }

    // What the device plays next, asked for in pieces of `piece` frames; silence when the
    // stream is not running.
    std::vector<int16_t> play(uint32_t frames, uint32_t piece = 1000) {
        std::vector<int16_t> out(2 * std::size_t{frames});
        for (uint32_t done = 0; done < frames && renderer;) {
            const uint32_t n = std::min(piece, frames - done);
            renderer->render(std::span(out).subspan(2 * std::size_t{done}), n);
            done += n;
        }
        return out;
    }
    // Plays the silence before a track starts; true when it was silent.
    bool play_lead_in() {
        const std::vector<int16_t> out = play(playback_lead_in_frames);
        return std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; });
    }
};

// A stored voice put in place of voice `index` after `at` frames.
struct voice_edit {
    uint32_t at = 0;
    int32_t index = 0;
    voice_record stored{};
};

// The first `frames` frames a fresh track player renders of `source`, with the edit.
inline std::vector<int16_t> rendered_track(track_source source, uint32_t frames,
                                           std::optional<voice_edit> edit = std::nullopt) {
    track_player player(std::move(source));
    std::vector<int16_t> out(2 * std::size_t{frames});
    const uint32_t first = edit ? std::min(edit->at, frames) : frames;
    player.render(out, first);
    if (edit) {
        player.replace_voice(edit->index, edit->stored);
    }
    player.render(std::span(out).subspan(2 * std::size_t{first}), frames - first);
    return out;
}

} // namespace kavelo::test
