#include "keyboard/keyboard_midi_win32.h"

#include "keyboard/midi_message.h"

#include <mmsystem.h>

namespace kavelo {

std::vector<std::string> midi_input_names() {
    std::vector<std::string> names;
    const UINT count = midiInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        MIDIINCAPSA caps{};
        if (midiInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) {
            names.emplace_back(caps.szPname);
        } else {
            names.push_back("MIDI input " + std::to_string(i + 1));
        }
    }
    return names;
}

bool keyboard_midi_input::open(UINT index, HWND window) {
    close();
    window_ = window;
    if (midiInOpen(&device_, index, reinterpret_cast<DWORD_PTR>(&on_message),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        return false;
    }
    if (midiInStart(device_) != MMSYSERR_NOERROR) {
        close();
        return false;
    }
    return true;
}

void keyboard_midi_input::close() {
    if (device_) {
        midiInStop(device_);
        midiInClose(device_);
        device_ = nullptr;
    }
}

// Runs on the driver's thread: only parsing and a posted message happen here.
void CALLBACK keyboard_midi_input::on_message(HMIDIIN, UINT message, DWORD_PTR instance,
                                              DWORD_PTR param1, DWORD_PTR) {
    if (message != MIM_DATA) {
        return;
    }
    const auto* input = reinterpret_cast<const keyboard_midi_input*>(instance);
    const midi_event event = parse_midi_short_message(static_cast<uint32_t>(param1));
    if (event.kind != midi_kind::other) {
        PostMessageA(input->window_, wm_keyboard_midi_note, event.note,
                     event.kind == midi_kind::note_on ? 1 : 0);
    }
}

} // namespace kavelo
