#include "fm/preview_output_win32.h"

#include "fm/direct_sound_win32.h"
#include "fm/preview_render.h"
#include "fm/widened_samples.h"

#include <cstring>
#include <string>
#include <vector>

namespace kavelo {

namespace {

constexpr DWORD secondary_bytes = 0x40000;
constexpr DWORD played_bytes = 0x20000;  // 32768 frames of 16-bit stereo
constexpr DWORD play_deadline_ms = 5000; // a stalled device must not hang the program

// Releases what it holds when the preview ends, on every path.
struct sound_objects {
    IDirectSound* device = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    IDirectSoundBuffer* secondary = nullptr;
    ~sound_objects() {
        if (secondary) {
            secondary->Release(); // also ends the sound
        }
        if (primary) {
            primary->Release();
        }
        if (device) {
            device->Release();
        }
    }
};

bool open_output(HWND window, sound_objects& sound, WAVEFORMATEX& format, const log_sink& log) {
    if (const char* failure = open_direct_sound(window, sound.device)) {
        log(std::string("  * Preview: ") + failure);
        return false;
    }
    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
    const HRESULT created = sound.device->CreateSoundBuffer(&primary, &sound.primary, nullptr);
    format = direct_sound_format();
    if (FAILED(created)) {
        log("  * Preview: the primary sound buffer could not be created");
        return false;
    }
    sound.primary->SetFormat(&format);
    return true;
}

void wait_for_play_cursor(IDirectSoundBuffer* buffer) {
    const DWORD started = GetTickCount();
    for (;;) {
        DWORD play = 0;
        DWORD status = 0;
        if (FAILED(buffer->GetCurrentPosition(&play, nullptr)) || play >= played_bytes ||
            FAILED(buffer->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING) ||
            GetTickCount() - started > play_deadline_ms) {
            return;
        }
        Sleep(1);
    }
}

} // namespace

int preview_voice(HWND window, const voice_record& voice, int note_index, const log_sink& log) {
    sound_objects sound;
    WAVEFORMATEX format{};
    if (!open_output(window, sound, format, log)) {
        return 0;
    }
    std::vector<int8_t> left(preview_frames), right(preview_frames);
    if (preview_render(voice, note_index, preview_frames, left, right) != preview_done) {
        return 0;
    }

    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_STATIC;
    description.dwBufferBytes = secondary_bytes;
    description.lpwfxFormat = &format;
    if (FAILED(sound.device->CreateSoundBuffer(&description, &sound.secondary, nullptr))) {
        log("  * Preview: the sound buffer could not be created");
        return 0;
    }
    void* region = nullptr;
    DWORD region_bytes = 0;
    if (FAILED(sound.secondary->Lock(0, 0, &region, &region_bytes, nullptr, nullptr,
                                     DSBLOCK_ENTIREBUFFER))) {
        MessageBoxA(nullptr, "Lock Failed!", "ERROR", MB_OK);
        return 0;
    }
    if (region_bytes < played_bytes) {
        sound.secondary->Unlock(region, region_bytes, nullptr, 0);
        MessageBoxA(nullptr, "Lock Failed!", "ERROR", MB_OK);
        return 0;
    }
    std::memset(region, 0, region_bytes);
    const std::size_t played_frames = played_bytes / format.nBlockAlign;
    widen_interleaved(left, right, std::span(static_cast<int16_t*>(region), 2 * played_frames));
    sound.secondary->Unlock(region, region_bytes, nullptr, 0);
    sound.secondary->SetCurrentPosition(0);
    sound.secondary->Play(0, 0, 0);
    wait_for_play_cursor(sound.secondary);
    return 0;
}

} // namespace kavelo
