// Opens a window beside another, on the work area of that window's monitor.

#include "app/window_placement_win32.h"

namespace kavelo {

namespace {

screen_rect screen_rect_of(const RECT& r) {
    return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
            static_cast<int32_t>(r.right), static_cast<int32_t>(r.bottom)};
}

} // namespace

void place_beside_window(HWND window, HWND beside, std::span<const window_side> sides) {
    RECT anchor{};
    RECT own{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!beside || !GetWindowRect(beside, &anchor) || !GetWindowRect(window, &own) ||
        !GetMonitorInfoA(MonitorFromWindow(beside, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return; // the system's own placement stands
    }
    const screen_rect placed =
        place_beside(screen_rect_of(anchor), own.right - own.left, own.bottom - own.top,
                     screen_rect_of(monitor.rcWork), sides);
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace kavelo
