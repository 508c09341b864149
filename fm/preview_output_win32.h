#pragma once
// Plays one note of a voice through DirectSound: renders it, plays the start once and waits.

#include "rom/log_sink.h"
#include "rom/voice_record.h"

#include <windows.h>

namespace kavelo {

// Synchronous; without a usable sound device it ends quietly after one line to `log`.
int preview_voice(HWND window, const voice_record& voice, int note_index, const log_sink& log);

} // namespace kavelo
