#pragma once
// Drives KAVELO.exe from a separate process the way a user's actions arrive: window messages
// to menus and controls, keys and clicks through the input queue, the file dialog filled in.
// Every wait is bounded by a deadline.

#include <windows.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gui {

using namespace std::chrono_literals;
using duration = std::chrono::milliseconds;

inline constexpr duration default_timeout = 10s;

// A failed check ends the current test; the runner reports the message.
struct test_failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
[[noreturn]] void fail(const std::string& message);

// Polls `condition` every few milliseconds until it holds or the deadline passes.
bool wait_until(const std::function<bool()>& condition, duration timeout = default_timeout);

// Host paths as Wine sees them: /a/b -> Z:\a\b. Windows paths pass unchanged.
std::string to_windows_path(const std::string& path);

// The program under test, started with CreateProcess; ended on destruction if still running.
class app_process {
  public:
    app_process(const std::string& exe_path, const std::string& arguments);
    ~app_process();
    app_process(const app_process&) = delete;
    app_process& operator=(const app_process&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    bool wait_exit(DWORD& exit_code, duration timeout); // true once ended, with its code
    bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  private:
    PROCESS_INFORMATION info_{};
};

// Visible top-level windows of a process; the first with this class and, when given, title.
std::vector<HWND> top_level_windows(DWORD pid);
HWND wait_window(DWORD pid, const std::string& class_name, const std::string& title = {},
                 duration timeout = default_timeout);
inline constexpr char dialog_class[] = "#32770";
inline constexpr char popup_menu_class[] = "#32768";
bool wait_gone(HWND window, duration timeout = default_timeout); // gone or hidden

std::string window_text(HWND window);
// The same for a window that may close meanwhile: empty when it no longer answers.
std::string title_of(HWND window);
std::string window_class(HWND window);
// The children of a window; the first with this class (any case) and, when given, text.
std::vector<HWND> child_windows(HWND parent);
HWND find_child(HWND parent, const std::string& class_name, const std::string& text = {});
HWND dialog_item(HWND dialog, int id);
std::vector<std::string> items(HWND list); // of a list box or combo box, in order

void post_command(HWND window, int command); // as the menu sends it
void click_button(HWND button);              // BM_CLICK, posted
// Clicks the button with this text in the dialog with this title; false when not found.
bool answer_message_box(DWORD pid, const std::string& title, const std::string& button,
                        duration timeout = default_timeout);
// The common file dialog's name field filled with the path, and OK pressed.
void fill_file_dialog(HWND dialog, const std::string& windows_path);

// Input through the system queue, as a keyboard and a mouse produce it.
bool bring_to_front(HWND window);
// Holds the modifiers (VK_CONTROL, VK_MENU, VK_SHIFT), taps the key, releases all.
void press_chord(std::vector<WORD> modifiers, WORD key);
void send_key(WORD key, bool up); // one key down or up alone
void click_at(POINT screen_point, bool right = false);
POINT centre(HWND window);

// A menu bar as text, read from inside the program's process (menus belong to their
// process): "popup: item=command, -, item=command~ | ...", "~" after a grayed item.
std::string menu_text(HWND window);

// The smallest rectangle holding all the windows (the screen for none) saved as a BMP once
// the picture has settled.
bool screenshot(const std::vector<HWND>& windows, const std::string& path);

} // namespace gui
