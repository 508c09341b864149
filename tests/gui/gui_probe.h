#pragma once
// The probe does what only the program's own process can: read its menus (they belong to
// their process) and make the HDROP of a file drop. The driver hooks the program's GUI thread
// with kavelo_gui_probe.dll and sends the window a request; the hook, inside the program,
// answers through one named shared memory: the driver leaves a drop's path there, and the
// hook writes a menu there as text.

#include <windows.h>

#include <cstddef>

namespace gui {

inline constexpr char probe_dll_name[] = "kavelo_gui_probe.dll";
inline constexpr char probe_hook_name[] = "probe_hook";
inline constexpr char probe_request_message[] = "KaveloGuiProbeRequest"; // lParam: the request
inline constexpr LPARAM probe_request_menu = 1;
inline constexpr LPARAM probe_request_drop = 2;
inline constexpr char probe_memory_name[] = "KaveloGuiProbeMemory";
inline constexpr std::size_t probe_memory_size = 32768;
// A menu answer begins with this mark; the menu as text follows.
inline constexpr char probe_answer_mark = '\x1d';

} // namespace gui
