#pragma once
// The Voice editor's editing commands as its dialog receives them: Undo, Redo and Revert
// Voice of the Edit menu, and the operator context menu of the four operator columns.

#include <windows.h>

namespace kavelo {

class voice_editor_session;

// Runs an editing command; false when `command` is none of them.
bool voice_edit_command(voice_editor_session& session, int command);

// WM_CONTEXTMENU: shows the operator menu of the column that was clicked (or that holds the
// focused control, from the keyboard); anywhere else nothing. The menu is loaded from
// `instance`.
void voice_edit_context_menu(HWND dialog, HINSTANCE instance, const voice_editor_session& session,
                             HWND clicked, LPARAM point);

} // namespace kavelo
