#include "keyboard/keyboard_audio_win32.h"

#include "fm/direct_sound_win32.h"

#include <cstring>

namespace kavelo {

namespace {

constexpr uint32_t frame_bytes = 4; // 16-bit stereo

} // namespace

keyboard_audio::keyboard_audio()
    : feeder_(stream_ring_frames, stream_lead_frames, stream_guard_frames, stream_refill_frames),
      scratch_(2 * std::size_t{stream_ring_frames}) {
    InitializeCriticalSection(&lock_);
    QueryPerformanceFrequency(&clock_rate_);
}

keyboard_audio::~keyboard_audio() {
    stop();
    DeleteCriticalSection(&lock_);
}

bool keyboard_audio::start(HWND window, std::string& problem) {
    if (const char* failure = open_direct_sound(window, device_)) {
        problem = failure;
        return false;
    }
    WAVEFORMATEX format = direct_sound_format();
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    // Global focus: the notes go on sounding while the Voice editor has the focus.
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = stream_ring_frames * frame_bytes;
    desc.lpwfxFormat = &format;
    if (FAILED(device_->CreateSoundBuffer(&desc, &buffer_, nullptr))) {
        buffer_ = nullptr;
        problem = "the sound buffer could not be created";
        release_all();
        return false;
    }
    // The ring starts silent: the feeder only clears what has been played.
    std::vector<int16_t> silence(2 * std::size_t{stream_ring_frames}, 0);
    copy_to_ring({0, stream_ring_frames}, silence.data());
    stop_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stop_event_ || FAILED(buffer_->Play(0, 0, DSBPLAY_LOOPING))) {
        problem = "the sound buffer would not play";
        release_all();
        return false;
    }
    thread_ = CreateThread(nullptr, 0, thread_main, this, 0, nullptr);
    if (!thread_) {
        problem = "the sound thread could not be started";
        release_all();
        return false;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
    return true;
}

void keyboard_audio::stop() {
    if (thread_) {
        SetEvent(stop_event_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    release_all();
}

void keyboard_audio::release_all() {
    if (buffer_) {
        buffer_->Stop();
        buffer_->Release();
        buffer_ = nullptr;
    }
    if (device_) {
        device_->Release();
        device_ = nullptr;
    }
    if (stop_event_) {
        CloseHandle(stop_event_);
        stop_event_ = nullptr;
    }
}

DWORD WINAPI keyboard_audio::thread_main(void* self) {
    auto* audio = static_cast<keyboard_audio*>(self);
    timeBeginPeriod(1);
    while (WaitForSingleObject(audio->stop_event_, stream_refill_ms) == WAIT_TIMEOUT) {
        audio->feed_once();
    }
    timeEndPeriod(1);
    return 0;
}

void keyboard_audio::feed_once() {
    DWORD play_byte = 0;
    DWORD write_byte = 0;
    if (FAILED(buffer_->GetCurrentPosition(&play_byte, &write_byte))) {
        return;
    }
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto now_frames = static_cast<uint64_t>(static_cast<double>(now.QuadPart) * 44100.0 /
                                                  static_cast<double>(clock_rate_.QuadPart));
    const uint32_t play = play_byte / frame_bytes;
    const uint32_t write = write_byte / frame_bytes;
    const uint32_t write_lead = (write + stream_ring_frames - play) % stream_ring_frames;
    if (write_lead > device_write_lead_.load()) {
        device_write_lead_.store(write_lead);
    }
    const feed_plan plan = feeder_.refill(play, write, now_frames);
    stalls_.store(feeder_.stalls());
    lead_frames_.store(feeder_.lead_frames());
    target_frames_.store(feeder_.target_frames());
    for (const ring_span& cleared : {plan.silence, plan.dropped}) {
        if (cleared.count > 0) {
            std::memset(scratch_.data(), 0, std::size_t{cleared.count} * frame_bytes);
            copy_to_ring(cleared, scratch_.data());
        }
    }
    if (plan.render.count > 0) {
        with_synth([&](live_synth& synth) { synth.render(scratch_, plan.render.count); });
        copy_to_ring(plan.render, scratch_.data());
    }
}

// Lock, copy, unlock: the locked region may come in two pieces where the ring wraps.
void keyboard_audio::copy_to_ring(ring_span span, const int16_t* frames) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD first_bytes = 0;
    DWORD second_bytes = 0;
    const DWORD offset = (span.start % stream_ring_frames) * frame_bytes;
    const DWORD bytes = span.count * frame_bytes;
    if (FAILED(buffer_->Lock(offset, bytes, &first, &first_bytes, &second, &second_bytes, 0))) {
        return;
    }
    std::memcpy(first, frames, first_bytes);
    if (second) {
        std::memcpy(second, reinterpret_cast<const uint8_t*>(frames) + first_bytes, second_bytes);
    }
    buffer_->Unlock(first, first_bytes, second, second_bytes);
}

} // namespace kavelo
