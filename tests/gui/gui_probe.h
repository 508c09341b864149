#pragma once
// The probe does what only the program's own process can: menus belong to their process,
// and so does the HDROP of a file drop. The driver hooks the program's GUI thread with
// kavelo_gui_probe.dll and sends the window a request; the hook, running inside the
// program, answers a menu request with WM_COPYDATA and builds and posts a drop.

#include <windows.h>

#include <cstddef>

namespace gui {

inline constexpr char probe_dll_name[] = "kavelo_gui_probe.dll";
inline constexpr char probe_hook_name[] = "probe_hook";
inline constexpr char probe_request_message[] = "KaveloGuiProbeRequest";
// The request's lParam; its wParam is the window that takes the answer.
inline constexpr LPARAM probe_request_menu = 1;
inline constexpr LPARAM probe_request_drop = 2;
// A drop's path waits in this named shared memory for the hook.
inline constexpr char probe_drop_memory_name[] = "KaveloGuiProbeDropPath";
inline constexpr std::size_t probe_drop_path_capacity = 1024;

// The menu answer: one record per popup and per item, in order, at most 256.
struct probe_menu_line {
    int popup; // 1 for a popup of the bar, 0 for one of its items
    int command;
    int separator;
    int grayed;
    char text[120];
};
inline constexpr std::size_t probe_max_lines = 256;

} // namespace gui
