#pragma once
// A sound stream through DirectSound: a looping buffer (a ring of one second) that a thread
// of its own keeps fed a short lead ahead of the play cursor (sound/stream_feeder.h), so a
// busy window never starves the output. The Keyboard and the editors' track players each
// stream through one.

#include "sound/sound_stream.h"

#include <windows.h>

#include <memory>

namespace kavelo {

inline constexpr uint32_t stream_ring_frames = 44100; // one second
inline constexpr uint32_t stream_lead_frames = 882;   // 20 ms ahead of the play cursor
inline constexpr uint32_t stream_guard_frames = 132;  // 3 ms past the device's write cursor
inline constexpr DWORD stream_refill_ms = 4;
inline constexpr uint32_t stream_refill_frames = 44100 * stream_refill_ms / 1000;
// How long stop() waits for the thread; a device that holds it longer is left to it.
inline constexpr DWORD stream_stop_wait_ms = 500;

class direct_sound_stream final : public sound_stream {
  public:
    // `window` is the device's cooperative window; the sound plays whichever window has the
    // focus.
    explicit direct_sound_stream(HWND window);
    ~direct_sound_stream() override;
    direct_sound_stream(const direct_sound_stream&) = delete;
    direct_sound_stream& operator=(const direct_sound_stream&) = delete;

    bool start(stream_renderer& renderer, std::string& problem) override;
    void stop() override;
    bool running() const override { return thread_ != nullptr; }
    void locked(const std::function<void()>& action) override;

    // The largest distance seen between the device's play and write cursors, in frames.
    uint32_t device_write_lead() const;
    uint32_t stalls() const;
    // How far ahead of the play cursor the stream rendered, and aims to (20 ms unless the
    // device's cursor moves in larger steps).
    uint32_t lead_frames() const;
    uint32_t target_frames() const;

  private:
    struct shared; // what the thread uses; outlives the stream when the thread hangs

    HWND window_;
    std::unique_ptr<shared> shared_;
    HANDLE thread_ = nullptr;
};

} // namespace kavelo
