#pragma once
// The Track Header Editor as the main window sees it. It reaches the main window only
// through the editor_owner it is opened with.

#include "app/editor_owner_win32.h"

#include <windows.h>

namespace kavelo {

// Runs the modal Track Header Editor with no owner window, so the main window and an open
// Voice editor stay usable while it runs; the caller keeps their accelerators and the
// Keyboard's keys working in its loop. An open one is brought to the front instead.
void header_editor_open(const editor_owner& owner);

// Another file is open: the open editor shows it from its first track (or the bare track).
void header_editor_file_opened();

// Dialog procedure of template 144.
INT_PTR CALLBACK header_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Inserts the 19 track names at positions 0-18.
void header_editor_fill_tracks(HWND dialog);

} // namespace kavelo
