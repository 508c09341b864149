#include "fm/direct_sound_win32.h"

namespace kavelo {

WAVEFORMATEX direct_sound_format() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.wBitsPerSample / 8 * format.nChannels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    return format;
}

const char* open_direct_sound(HWND window, IDirectSound*& device) {
    if (FAILED(DirectSoundCreate(nullptr, &device, nullptr))) {
        device = nullptr;
        return "no sound device could be opened";
    }
    if (FAILED(device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        device->Release();
        device = nullptr;
        return "the sound device refused the cooperative level";
    }
    return nullptr;
}

} // namespace kavelo
