#pragma once
// The DirectSound set-up that the Preview and the Keyboard share: one device, one stream format.

#include <windows.h>

#include <mmsystem.h>

#include <dsound.h>

namespace kavelo {

// 44100 Hz, 16-bit, stereo: what the renderers produce and both outputs play.
WAVEFORMATEX direct_sound_format();

// Opens the default sound device at the priority level for window. Returns nullptr on success,
// otherwise the reason (a short phrase for the caller's message); device is then left null.
const char* open_direct_sound(HWND window, IDirectSound*& device);

} // namespace kavelo
