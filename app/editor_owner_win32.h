#pragma once
// What the main window lends an editor window it opens: the program instance, the main
// window itself, the opened file and the Status log. An editor reaches the main window
// only through this, so the main window's own header stays out of the editors.

#include "rom/log_sink.h"
#include "rom/rom_access.h"

#include <windows.h>

#include <functional>

namespace kavelo {

struct editor_owner {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;              // owns a modeless editor; editors open beside it
    std::function<rom_access()> opened_file; // the file as core operations take it, read anew
    log_sink log;                            // appends one Status log line
};

} // namespace kavelo
