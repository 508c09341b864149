#pragma once
// The probe reads the program's menus, which belong to their process: the driver hooks the
// program's GUI thread with kavelo_gui_probe.dll and sends the window a request; the hook,
// inside the program, writes the menu as text into one named shared memory.

#include <windows.h>

#include <cstddef>

namespace gui {

inline constexpr char probe_request_message[] = "KaveloGuiProbeRequest";
inline constexpr char probe_memory_name[] = "KaveloGuiProbeMemory";
inline constexpr std::size_t probe_memory_size = 32768;
// A menu answer begins with this mark; the menu as text follows.
inline constexpr char probe_answer_mark = '\x1d';

} // namespace gui
