#pragma once
// Applies the Voice editor's enabled states to dialog 106: its controls and its menu bar,
// and the operator context menu while one is shown.

#include "voice_editor/voice_editor_enabled.h"

#include <windows.h>

namespace kavelo {

// Sets every state of `states`; `operator_menu`, when given, is the loaded operator menu
// whose "Paste Operator" items take theirs.
void voice_editor_apply_enabled(HWND dialog, const voice_editor_enabled& states,
                                HMENU operator_menu = nullptr);

} // namespace kavelo
