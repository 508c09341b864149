#include "keyboard/keyboard_audio_win32.h"

namespace kavelo {

bool keyboard_audio::start(HWND window, std::string& problem) {
    stream_ = std::make_unique<direct_sound_stream>(window);
    if (!stream_->start(synth_, problem)) {
        stream_.reset();
        return false;
    }
    return true;
}

} // namespace kavelo
