#pragma once
// The Voice editor as the main window sees it. The editor owns the Keyboard window; it
// reaches the main window only through the editor_owner it is opened with.

#include "app/editor_owner_win32.h"

#include <windows.h>

namespace kavelo {

// Creates and shows the modeless Voice editor owned by `owner`'s main window, or brings the
// open one to the front. Returns false when the dialog could not be created.
bool voice_editor_open(const editor_owner& owner);

// Dialog procedure of template 106.
INT_PTR CALLBACK voice_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// True when `root` is the open editor or a window it owns (the Keyboard window).
bool voice_editor_holds_window(HWND root);

// Translates the editor's own accelerators (Ctrl+Z, Ctrl+Y, Ctrl+K) for a message to the editor
// or one of its controls; true when the message was translated and needs nothing more.
bool voice_editor_translate_accelerator(MSG& message);

// Another file is about to be opened: the open editor's save prompt, into the file it shows.
void voice_editor_before_file_change();
// Another file is open: the open editor shows it from its first track and voice.
void voice_editor_file_opened();

// Fills the ALG, FBL and operator lists, then the track list.
void voice_editor_fill_lists(HWND dialog);
// Inserts the 19 track names at positions 0-18, in either file mode.
void voice_editor_fill_tracks(HWND dialog);

} // namespace kavelo
