#pragma once
// The Keyboard window as the Voice editor sees it: a modeless window owned by the editor
// that plays the voice the editor shows. It reaches the editor, and the Status log, only
// through the keyboard_owner the editor attaches.

#include "rom/log_sink.h"
#include "rom/voice_record.h"

#include <windows.h>

#include <functional>

namespace kavelo {

// What the editor lends the Keyboard window.
struct keyboard_owner {
    HINSTANCE instance = nullptr;
    HWND editor = nullptr;                     // owns the window; its keys play notes too
    std::function<voice_record()> shown_voice; // the voice the editor's controls show
    log_sink log;                              // appends one Status log line
};

// Called when the editor window is created and destroyed: the editor's accelerators and
// the computer keys that play notes work through a message hook of the UI thread.
void keyboard_attach_editor(const keyboard_owner& owner);
void keyboard_detach_editor(HWND editor);

// Opens the Keyboard window of the attached editor, or brings the open one to the front.
void keyboard_window_open(HWND editor);

// The open Keyboard window, or nullptr.
HWND keyboard_window();

// The editor's controls may have changed: the sounding notes take the new voice at once.
void keyboard_editor_changed(HWND editor);

} // namespace kavelo
