#pragma once
// A started KAVELO.exe with the handles every test needs, and the user actions that most
// tests share: File > Open with a file, reading the Status log and the menu.

#include "gui_test.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

inline constexpr char main_title[] = "KAVELO (Vantorel)";
inline constexpr char main_class[] = "KAVELOVANTOREL";
inline constexpr char open_dialog_title[] = "Open";

// The demo files the tests open, written once per run into the work folder.
struct demo_files {
    std::string rom;   // a compatible ROM image
    std::string track; // a bare track
};
const demo_files& demo();

class kavelo_session {
  public:
    // Starts KAVELO.exe, with `arguments` on its command line when given.
    explicit kavelo_session(const std::string& arguments = {});

    app_process& process() { return *process_; }
    HWND main() const { return main_; }
    HWND log() const { return log_; }

    std::string log_text() const { return window_text(log_); }
    // The popup titles of the main window's menu bar.
    std::vector<std::string> menu_titles() const;

    // File > Open through the menu command; returns the Open dialog once it shows.
    HWND open_dialog_from_menu();
    HWND wait_open_dialog();
    // Opens the file through the Open dialog and waits for the log to grow by one line.
    void open_file(const std::string& windows_path);
    void cancel_dialog(HWND dialog);
    // Waits until the process has ended and returns its exit code.
    DWORD wait_exit();

  private:
    std::unique_ptr<app_process> process_;
    HWND main_ = nullptr;
    HWND log_ = nullptr;
};

// Whether the log's newest line lies inside its visible area.
bool newest_line_visible(HWND log);

} // namespace gui
