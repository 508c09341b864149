#pragma once
// The application's state and the main window's own services: the Status log and the
// opened file as a rom_access. The editors never include this; they get an editor_owner.

#include "app/editor_owner_win32.h"
#include "app/opened_file.h"
#include "app/window_placement_win32.h"
#include "rom/rom_access.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <string>
#include <string_view>

namespace kavelo {

struct app_state {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    HWND status_log = nullptr;
    std::array<char, 100> title{};      // string 103
    std::array<char, 100> class_name{}; // string 109
    // Set only by open_rom_path; its path is also the Open dialog's initial file name.
    opened_file file;
};

// The one app_state of the process.
app_state& the_app();

// Appends one line and CR LF to the Status log and scrolls to it. Always returns true.
bool status_log_append(std::string_view text);

// A log sink that writes to the Status log, for core operations.
log_sink status_log_sink();

// The opened file as core operations take it: native files, ROM path, file mode, Status log.
rom_access current_rom_access();

// What the main window lends the editors it opens.
editor_owner main_window_as_owner();

// Window procedures and dialog procedures of the shell.
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

ATOM register_main_class(HINSTANCE instance);
BOOL init_instance(HINSTANCE instance, int show_command);
void open_rom_file(HWND main_window);
// Opens `path` as File > Open does, applying open_outcome_for: the open Voice editor's save
// prompt, the opened file, menu 131 and the log line, then the open editors show the new
// file. A refused path is named in the log and changes nothing; returns whether it opened.
bool open_rom_path(HWND main_window, const std::string& path);
// The program's command line: its first path is opened, anything else named in the log.
void open_command_line(HWND main_window, std::string_view command_line);
// WM_DROPFILES: the first file is opened, further ones named in the log.
void open_dropped_files(HWND main_window, HDROP drop);
// Tools > Fix Checksum (ROM image mode only).
void fix_rom_checksum(HWND main_window);

// The program's accelerators for a message of the main loop; true when the message was
// translated and needs nothing more.
bool translate_accelerators(MSG& message);

// While one lives, a modal dialog's loop on this thread translates the accelerators of the
// main window, the Voice editor and the Keyboard window as the main loop does.
class accelerators_in_modal_loop {
  public:
    accelerators_in_modal_loop();
    ~accelerators_in_modal_loop();
    accelerators_in_modal_loop(const accelerators_in_modal_loop&) = delete;
    accelerators_in_modal_loop& operator=(const accelerators_in_modal_loop&) = delete;

  private:
    bool installed_ = false;
};

// Creates the Status log EDIT control over the whole client area of `parent`.
HWND status_log_create(HWND parent, HINSTANCE instance);

} // namespace kavelo
