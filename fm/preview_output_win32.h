#pragma once
// Plays one note of a voice through DirectSound: renders it, plays the start once and waits.

#include "rom/voice_record.h"

#include <windows.h>

namespace kavelo {

// Synchronous; without a usable sound device it ends quietly after one Status log line.
int preview_voice(HWND window, const voice_record& voice, int note_index);

} // namespace kavelo
