#pragma once
// The Keyboard's sound: the live synth played through a DirectSound stream of its own.

#include "keyboard/live_synth.h"
#include "sound/direct_sound_stream_win32.h"

#include <windows.h>

#include <memory>
#include <string>

namespace kavelo {

class keyboard_audio {
  public:
    keyboard_audio() = default;
    keyboard_audio(const keyboard_audio&) = delete;
    keyboard_audio& operator=(const keyboard_audio&) = delete;

    // Opens the default device for `window` and starts the stream; false, with the reason,
    // when there is no sound (the synth still runs, silently).
    bool start(HWND window, std::string& problem);
    void stop() { stream_.reset(); }

    // Runs `action` on the synth under the lock the stream renders under.
    template <typename Action> void with_synth(Action action) {
        if (stream_) {
            stream_->locked([&] { action(synth_); });
        } else {
            action(synth_);
        }
    }

    bool playing() const { return stream_ && stream_->running(); }
    uint32_t device_write_lead() const { return stream_ ? stream_->device_write_lead() : 0; }
    uint32_t stalls() const { return stream_ ? stream_->stalls() : 0; }
    uint32_t lead_frames() const { return stream_ ? stream_->lead_frames() : 0; }
    uint32_t target_frames() const { return stream_ ? stream_->target_frames() : 0; }

  private:
    // Declared first, so the stream (which calls it) ends before it does.
    live_synth synth_;
    std::unique_ptr<direct_sound_stream> stream_;
};

} // namespace kavelo
