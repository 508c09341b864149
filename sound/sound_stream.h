#pragma once
// A sound device fed by a thread of its own, and the renderer it calls for the frames it
// plays. The renderer runs on that thread under the stream's lock; whoever changes what it
// renders does so under the same lock. The Win32 program streams through DirectSound
// (sound/direct_sound_stream_win32.h); tests render by hand.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kavelo {

class stream_renderer {
  public:
    virtual ~stream_renderer() = default;
    // `frames` frames of signed 16-bit stereo, left first; `out` holds 2 x frames.
    virtual void render(std::span<int16_t> out, uint32_t frames) = 0;
};

class sound_stream {
  public:
    virtual ~sound_stream() = default;
    // Starts calling `renderer` for the device; false, with the reason, when there is no
    // sound. The renderer must outlive the stream's run, up to stop().
    virtual bool start(stream_renderer& renderer, std::string& problem) = 0;
    // Returns once the renderer is no longer called.
    virtual void stop() = 0;
    virtual bool running() const = 0;
    // Runs `action` under the lock the renderer is called under.
    virtual void locked(const std::function<void()>& action) = 0;
};

} // namespace kavelo
