#pragma once
// The Keyboard window as the Voice editor sees it: a modeless window owned by the editor
// that plays the voice in the editor's controls.

#include <windows.h>

namespace kavelo {

// Called when the editor window is created and destroyed: the editor's accelerators and
// the computer keys that play notes work through a message hook of the UI thread.
void keyboard_attach_editor(HWND editor);
void keyboard_detach_editor(HWND editor);

// Opens the Keyboard window, or brings the open one to the front.
void keyboard_window_open(HWND editor);

// The open Keyboard window, or nullptr.
HWND keyboard_window();

// The editor's controls may have changed: the sounding notes take the new voice at once.
void keyboard_editor_changed(HWND editor);

} // namespace kavelo
