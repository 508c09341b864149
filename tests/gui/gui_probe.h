#pragma once
// The probe reads what only the process that owns it can read: menus belong to their
// process, so another process cannot list a window's menu items. The driver hooks the
// program's GUI thread with kavelo_gui_probe.dll, sends the window a request, and the hook,
// running inside the program, answers with WM_COPYDATA. Besides reading, it delivers a file
// drop, whose HDROP only the program's own process can build.

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

inline constexpr char probe_request_message[] = "KaveloGuiProbeRequest";
inline constexpr char probe_dll_name[] = "kavelo_gui_probe.dll";
inline constexpr char probe_hook_name[] = "probe_hook";
inline constexpr LPARAM probe_request_menu = 1;
// The answer: one line per item, fields apart by tabs.
//   P<TAB>popup text
//   I<TAB>command<TAB>flags<TAB>item text     flags: S separator, G grayed, - none
inline constexpr std::size_t probe_answer_capacity = 16384;

struct probe_menu_line {
    bool is_popup = false;
    std::string text;
    int command = 0;
    bool separator = false;
    bool grayed = false;
};

// The menu bar of `window`, top-level popups and their items in order.
std::vector<probe_menu_line> probe_read_menu(HWND window);

// The request with this lParam asks the probe to drop a file on the window: the path waits
// in the named shared memory below, and the probe builds the HDROP inside the program and
// posts WM_DROPFILES, as the shell does at the end of a drag.
inline constexpr LPARAM probe_request_drop = 2;
inline constexpr char probe_drop_memory_name[] = "KaveloGuiProbeDropPath";
inline constexpr std::size_t probe_drop_path_capacity = 1024;

// Drops one file on `window`; returns once the drop has been posted.
void probe_drop_file(HWND window, const std::string& windows_path);

} // namespace gui
