#pragma once
// Opens a window beside another, on the work area of that window's monitor.

#include "app/window_placement.h"

#include <windows.h>

#include <span>

namespace kavelo {

// Moves a window that is about to show beside the window `beside`, on the first of `sides`
// where it fits that window's monitor (see place_beside).
void place_beside_window(HWND window, HWND beside, std::span<const window_side> sides);

} // namespace kavelo
