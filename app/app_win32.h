#pragma once
// The application's state and the services the main window offers to every dialog: the
// Status log and the opened file as a rom_access.

#include "rom/rom_access.h"

#include <windows.h>

#include <array>
#include <string_view>

namespace kavelo {

struct app_state {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    HWND status_log = nullptr;
    std::array<char, 100> title{};      // string 103
    std::array<char, 100> class_name{}; // string 109
    // Written by the Open dialog; its contents are also the dialog's initial file name.
    std::array<char, 1024> rom_path{};
    file_mode mode = file_mode::none;
};

// The one app_state of the process.
app_state& the_app();

// Appends one line and CR LF to the Status log and scrolls to it. Always returns true.
bool status_log_append(std::string_view text);

// A log sink that writes to the Status log, for core operations.
log_sink status_log_sink();

// The opened file as core operations take it: native files, ROM path, file mode, Status log.
rom_access current_rom_access();

// Window procedures and dialog procedures of the shell.
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

ATOM register_main_class(HINSTANCE instance);
BOOL init_instance(HINSTANCE instance, int show_command);
void open_rom_file(HWND main_window);

// Creates the Status log EDIT control over the whole client area of `parent`.
HWND status_log_create(HWND parent, HINSTANCE instance);

} // namespace kavelo
