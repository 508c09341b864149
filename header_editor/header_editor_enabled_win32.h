#pragma once
// Applies the Track Header Editor's enabled states to dialog 144.

#include "header_editor/header_editor_enabled.h"

#include <windows.h>

namespace kavelo {

void header_editor_apply_enabled(HWND dialog, const header_editor_enabled& states);

} // namespace kavelo
