#pragma once
// The Keyboard's sound: the live synth rendered into a looping DirectSound buffer by a
// thread of its own, so a busy window never starves the output.

#include "keyboard/live_synth.h"
#include "keyboard/stream_feeder.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct IDirectSound;
struct IDirectSoundBuffer;

namespace kavelo {

inline constexpr uint32_t stream_ring_frames = 44100; // one second
inline constexpr uint32_t stream_lead_frames = 882;   // 20 ms ahead of the play cursor
inline constexpr uint32_t stream_guard_frames = 132;  // 3 ms past the device's write cursor
inline constexpr DWORD stream_refill_ms = 4;
inline constexpr uint32_t stream_refill_frames = 44100 * stream_refill_ms / 1000;

class keyboard_audio {
  public:
    keyboard_audio();
    ~keyboard_audio();
    keyboard_audio(const keyboard_audio&) = delete;
    keyboard_audio& operator=(const keyboard_audio&) = delete;

    // Opens the default device and starts the stream; false, with the reason, when there
    // is no sound (the synth still runs, silently).
    bool start(HWND window, std::string& problem);
    void stop();

    // Runs `action` on the synth under the lock the audio thread renders under.
    template <typename Action> void with_synth(Action action) {
        EnterCriticalSection(&lock_);
        action(synth_);
        LeaveCriticalSection(&lock_);
    }

    bool playing() const { return thread_ != nullptr; }
    // The largest distance seen between the device's play and write cursors, in frames.
    uint32_t device_write_lead() const { return device_write_lead_.load(); }
    uint32_t stalls() const { return stalls_.load(); }
    // How far ahead of the play cursor the stream rendered, and aims to (20 ms unless the
    // device's cursor moves in larger steps).
    uint32_t lead_frames() const { return lead_frames_.load(); }
    uint32_t target_frames() const { return target_frames_.load(); }

  private:
    static DWORD WINAPI thread_main(void* self);
    void feed_once();
    void copy_to_ring(ring_span span, const int16_t* frames);
    void release_all();

    CRITICAL_SECTION lock_;
    live_synth synth_;
    stream_feeder feeder_;
    std::vector<int16_t> scratch_;
    IDirectSound* device_ = nullptr;
    IDirectSoundBuffer* buffer_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE stop_event_ = nullptr;
    LARGE_INTEGER clock_rate_{};
    std::atomic<uint32_t> device_write_lead_{0};
    std::atomic<uint32_t> stalls_{0};
    std::atomic<uint32_t> lead_frames_{stream_lead_frames};
    std::atomic<uint32_t> target_frames_{stream_lead_frames};
};

} // namespace kavelo
