#include "sound/direct_sound_stream_win32.h"

#include "fm/direct_sound_win32.h"
#include "sound/stream_feeder.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace kavelo {

namespace {

constexpr uint32_t frame_bytes = 4; // 16-bit stereo

} // namespace

struct direct_sound_stream::shared {
    shared() { InitializeCriticalSection(&lock); }
    ~shared() { DeleteCriticalSection(&lock); }
    shared(const shared&) = delete;
    shared& operator=(const shared&) = delete;

    void release_device();
    void feed_once();
    void copy_to_ring(ring_span span, const int16_t* frames);
    static DWORD WINAPI thread_main(void* self);

    CRITICAL_SECTION lock;
    stream_renderer* renderer = nullptr; // null: the ring is fed silence
    stream_feeder feeder{stream_ring_frames, stream_lead_frames, stream_guard_frames,
                         stream_refill_frames};
    std::vector<int16_t> scratch = std::vector<int16_t>(2 * std::size_t{stream_ring_frames});
    IDirectSound* device = nullptr;
    IDirectSoundBuffer* buffer = nullptr;
    HANDLE stop_event = nullptr;
    LARGE_INTEGER clock_rate{};
    std::atomic<uint32_t> device_write_lead{0};
    std::atomic<uint32_t> stalls{0};
    std::atomic<uint32_t> lead_frames{stream_lead_frames};
    std::atomic<uint32_t> target_frames{stream_lead_frames};
};

direct_sound_stream::direct_sound_stream(HWND window)
    : window_(window), shared_(std::make_unique<shared>()) {}

direct_sound_stream::~direct_sound_stream() {
    stop();
}

bool direct_sound_stream::start(stream_renderer& renderer, std::string& problem) {
    stop();
    shared& s = *shared_;
    if (const char* failure = open_direct_sound(window_, s.device)) {
        problem = failure;
        return false;
    }
    WAVEFORMATEX format = direct_sound_format();
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    // Global focus: the sound goes on while another window of the program has the focus.
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = stream_ring_frames * frame_bytes;
    desc.lpwfxFormat = &format;
    if (FAILED(s.device->CreateSoundBuffer(&desc, &s.buffer, nullptr))) {
        s.buffer = nullptr;
        problem = "the sound buffer could not be created";
        s.release_device();
        return false;
    }
    // The ring starts silent: the feeder only clears what has been played.
    std::fill(s.scratch.begin(), s.scratch.end(), int16_t{0});
    s.copy_to_ring({0, stream_ring_frames}, s.scratch.data());
    s.feeder = stream_feeder(stream_ring_frames, stream_lead_frames, stream_guard_frames,
                             stream_refill_frames);
    s.device_write_lead = 0;
    s.stalls = 0;
    QueryPerformanceFrequency(&s.clock_rate);
    s.stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!s.stop_event || FAILED(s.buffer->Play(0, 0, DSBPLAY_LOOPING))) {
        problem = "the sound buffer would not play";
        s.release_device();
        return false;
    }
    s.renderer = &renderer;
    thread_ = CreateThread(nullptr, 0, shared::thread_main, &s, 0, nullptr);
    if (!thread_) {
        problem = "the sound thread could not be started";
        s.renderer = nullptr;
        s.release_device();
        return false;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
    return true;
}

void direct_sound_stream::stop() {
    if (thread_) {
        SetEvent(shared_->stop_event);
        const bool ended = WaitForSingleObject(thread_, stream_stop_wait_ms) == WAIT_OBJECT_0;
        CloseHandle(thread_);
        thread_ = nullptr;
        if (!ended) {
            // A device call holds the thread: it keeps what it uses, and its renderer, which
            // may be gone by the time it returns, is never called again.
            locked([this] { shared_->renderer = nullptr; });
            static_cast<void>(shared_.release());
            shared_ = std::make_unique<shared>();
            return;
        }
    }
    shared_->renderer = nullptr;
    shared_->release_device();
}

void direct_sound_stream::locked(const std::function<void()>& action) {
    EnterCriticalSection(&shared_->lock);
    action();
    LeaveCriticalSection(&shared_->lock);
}

uint32_t direct_sound_stream::device_write_lead() const {
    return shared_->device_write_lead.load();
}

uint32_t direct_sound_stream::stalls() const {
    return shared_->stalls.load();
}

uint32_t direct_sound_stream::lead_frames() const {
    return shared_->lead_frames.load();
}

uint32_t direct_sound_stream::target_frames() const {
    return shared_->target_frames.load();
}

void direct_sound_stream::shared::release_device() {
    if (buffer) {
        buffer->Stop();
        buffer->Release();
        buffer = nullptr;
    }
    if (device) {
        device->Release();
        device = nullptr;
    }
    if (stop_event) {
        CloseHandle(stop_event);
        stop_event = nullptr;
    }
}

DWORD WINAPI direct_sound_stream::shared::thread_main(void* self) {
    auto* s = static_cast<shared*>(self);
    timeBeginPeriod(1);
    while (WaitForSingleObject(s->stop_event, stream_refill_ms) == WAIT_TIMEOUT) {
        s->feed_once();
    }
    timeEndPeriod(1);
    return 0;
}

void direct_sound_stream::shared::feed_once() {
    DWORD play_byte = 0;
    DWORD write_byte = 0;
    if (FAILED(buffer->GetCurrentPosition(&play_byte, &write_byte))) {
        return;
    }
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto now_frames = static_cast<uint64_t>(static_cast<double>(now.QuadPart) * 44100.0 /
                                                  static_cast<double>(clock_rate.QuadPart));
    const uint32_t play = play_byte / frame_bytes;
    const uint32_t write = write_byte / frame_bytes;
    const uint32_t write_lead = (write + stream_ring_frames - play) % stream_ring_frames;
    if (write_lead > device_write_lead.load()) {
        device_write_lead.store(write_lead);
    }
    const feed_plan plan = feeder.refill(play, write, now_frames);
    stalls.store(feeder.stalls());
    lead_frames.store(feeder.lead_frames());
    target_frames.store(feeder.target_frames());
    for (const ring_span& cleared : {plan.silence, plan.dropped}) {
        if (cleared.count > 0) {
            std::memset(scratch.data(), 0, std::size_t{cleared.count} * frame_bytes);
            copy_to_ring(cleared, scratch.data());
        }
    }
    if (plan.render.count > 0) {
        EnterCriticalSection(&lock);
        if (renderer) {
            renderer->render(scratch, plan.render.count);
        } else {
            std::memset(scratch.data(), 0, std::size_t{plan.render.count} * frame_bytes);
        }
        LeaveCriticalSection(&lock);
        copy_to_ring(plan.render, scratch.data());
    }
}

// Lock, copy, unlock: the locked region may come in two pieces where the ring wraps.
void direct_sound_stream::shared::copy_to_ring(ring_span span, const int16_t* frames) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD first_bytes = 0;
    DWORD second_bytes = 0;
    const DWORD offset = (span.start % stream_ring_frames) * frame_bytes;
    const DWORD bytes = span.count * frame_bytes;
    if (FAILED(buffer->Lock(offset, bytes, &first, &first_bytes, &second, &second_bytes, 0))) {
        return;
    }
    std::memcpy(first, frames, first_bytes);
    if (second) {
        std::memcpy(second, reinterpret_cast<const uint8_t*>(frames) + first_bytes, second_bytes);
    }
    buffer->Unlock(first, first_bytes, second, second_bytes);
}

} // namespace kavelo
