#pragma once
// A MIDI input device for the Keyboard window: its note messages arrive at the window as
// posted messages, parsed on the device's thread.

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

namespace kavelo {

// Posted to the window: wparam the note, lparam 1 for note on, 0 for note off.
inline constexpr UINT wm_keyboard_midi_note = WM_APP + 15;

std::vector<std::string> midi_input_names();

class keyboard_midi_input {
  public:
    ~keyboard_midi_input() { close(); }
    // Opens device `index` of midi_input_names(); false if it would not open.
    bool open(UINT index, HWND window);
    void close();

  private:
    static void CALLBACK on_message(HMIDIIN device, UINT message, DWORD_PTR instance,
                                    DWORD_PTR param1, DWORD_PTR param2);
    HMIDIIN device_ = nullptr;
    HWND window_ = nullptr;
};

} // namespace kavelo
