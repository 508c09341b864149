#include "gui_driver.h"

#include <dlgs.h>

#include <algorithm>
#include <fstream>
#include <thread>

namespace gui {

namespace {

constexpr UINT cross_process_timeout_ms = 5000;

// A message to another process's window, bounded; wide, as only that form converts text
// between processes reliably.
LRESULT send_bounded_w(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             cross_process_timeout_ms, &result)) {
        fail("no answer from window " + window_class(window) + " to message " +
             std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

// The window text for item -1, else entry `item` of a list, through its length and copy messages.
std::string read_text(HWND control, UINT length_message, UINT text_message, LRESULT item) {
    const auto length = send_bounded_w(control, length_message, item < 0 ? 0 : item, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    send_bounded_w(control, text_message, item < 0 ? text.size() : item,
                   reinterpret_cast<LPARAM>(text.data()));
    std::string narrow; // the program's texts are ASCII
    for (std::size_t i = 0; i < text.size() && text[i] != L'\0'; ++i) {
        narrow += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    }
    return narrow;
}

bool same_name(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

void send_inputs(std::vector<INPUT> inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        fail("SendInput delivered " + std::to_string(sent) + " of " +
             std::to_string(inputs.size()) + " events");
    }
}

INPUT key_input(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)),
                static_cast<DWORD>(up ? KEYEVENTF_KEYUP : 0), 0, 0};
    return input;
}

struct enum_state {
    DWORD pid; // 0: every window enumerated
    std::vector<HWND> found;
};

// Named, not a lambda: a 32-bit enumeration callback takes stdcall.
BOOL CALLBACK collect(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<enum_state*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (state.pid == 0 || (owner == state.pid && IsWindowVisible(window))) {
        state.found.push_back(window);
    }
    return TRUE;
}

// The screen inside `rect` as the rows of a 24-bit bottom-up BMP; empty when unreadable.
std::vector<unsigned char> capture(const RECT& rect, BITMAPINFOHEADER& header) {
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    const auto size = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    header = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    std::vector<unsigned char> pixels(header.biSizeImage);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous); // a bitmap is read only once no DC holds it
    const bool read =
        copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read ? pixels : std::vector<unsigned char>{};
}

} // namespace

void fail(const std::string& message) {
    throw test_failure(message);
}

bool wait_until(const std::function<bool()>& condition, duration timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(15ms);
    }
    return true;
}

std::string to_windows_path(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

app_process::app_process(const std::string& exe_path, const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::string command_line = "\"" + exe_path + "\"" + (arguments.empty() ? "" : " ") + arguments;
    if (!CreateProcessA(exe_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
        fail("cannot start " + exe_path + " (error " + std::to_string(GetLastError()) + ")");
    }
    WaitForInputIdle(info_.hProcess, cross_process_timeout_ms);
}

app_process::~app_process() {
    if (running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, cross_process_timeout_ms);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool app_process::wait_exit(DWORD& exit_code, duration timeout) {
    return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) ==
               WAIT_OBJECT_0 &&
           GetExitCodeProcess(info_.hProcess, &exit_code) != 0;
}

std::vector<HWND> top_level_windows(DWORD pid) {
    enum_state state{pid, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND wait_window(DWORD pid, const std::string& class_name, const std::string& title,
                 duration timeout) {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND window : top_level_windows(pid)) {
                if (found == nullptr && window_class(window) == class_name &&
                    (title.empty() || title_of(window) == title)) {
                    found = window;
                }
            }
            return found != nullptr;
        },
        timeout);
    return found;
}

bool wait_gone(HWND window, duration timeout) {
    return wait_until([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

std::string window_text(HWND window) {
    return read_text(window, WM_GETTEXTLENGTH, WM_GETTEXT, -1);
}

std::string title_of(HWND window) {
    try {
        return window_text(window);
    } catch (const test_failure&) {
        return {};
    }
}

std::string window_class(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::vector<HWND> child_windows(HWND parent) {
    enum_state state{0, {}};
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND find_child(HWND parent, const std::string& class_name, const std::string& text) {
    for (HWND child : child_windows(parent)) {
        if (same_name(window_class(child), class_name) &&
            (text.empty() || window_text(child) == text)) {
            return child;
        }
    }
    return nullptr;
}

HWND dialog_item(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        fail("dialog \"" + window_text(dialog) + "\" has no control " + std::to_string(id));
    }
    return item;
}

std::vector<std::string> items(HWND list) {
    const bool combo = same_name(window_class(list), "ComboBox");
    std::vector<std::string> entries;
    const auto count = send_bounded_w(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        entries.push_back(combo ? read_text(list, CB_GETLBTEXTLEN, CB_GETLBTEXT, i)
                                : read_text(list, LB_GETTEXTLEN, LB_GETTEXT, i));
    }
    return entries;
}

void post_command(HWND window, int command) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void click_button(HWND button) {
    if (button == nullptr || !IsWindowEnabled(button)) {
        fail("the button to click is missing or disabled");
    }
    PostMessageA(button, BM_CLICK, 0, 0);
}

bool answer_message_box(DWORD pid, const std::string& title, const std::string& button,
                        duration timeout) {
    HWND box = wait_window(pid, dialog_class, title, timeout);
    HWND target = box != nullptr ? find_child(box, "Button", button) : nullptr;
    if (target != nullptr) {
        click_button(target);
    }
    return target != nullptr && wait_gone(box, timeout);
}

void fill_file_dialog(HWND dialog, const std::string& windows_path) {
    // The name field: an edit inside combo cmb13 in the Explorer-style dialog, edt1 in the
    // older one.
    HWND field = GetDlgItem(dialog, cmb13);
    if (HWND edit = field != nullptr ? find_child(field, "Edit") : nullptr) {
        field = edit;
    }
    field = field != nullptr ? field : dialog_item(dialog, edt1);
    const std::wstring path(windows_path.begin(), windows_path.end()); // ASCII, as the tests' are
    send_bounded_w(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    click_button(dialog_item(dialog, IDOK));
}

bool bring_to_front(HWND window) {
    return wait_until(
        [&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); },
        3s);
}

void press_chord(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) {
        inputs.push_back(key_input(modifier, false));
    }
    inputs.push_back(key_input(key, false));
    inputs.push_back(key_input(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        inputs.push_back(key_input(*it, true));
    }
    send_inputs(inputs);
}

void send_key(WORD key, bool up) {
    send_inputs({key_input(key, up)});
}

void click_at(POINT screen_point, bool right) {
    SetCursorPos(screen_point.x, screen_point.y);
    std::vector<INPUT> inputs(2);
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    send_inputs(inputs);
}

POINT centre(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool screenshot(const std::vector<HWND>& windows, const std::string& path) {
    RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        RECT rect{};
        if (!GetWindowRect(windows[i], &rect)) {
            return false;
        }
        UnionRect(&all, i == 0 ? &rect : &all, &rect);
    }
    // A window just shown may still be painting: until two captures agree, bounded.
    BITMAPINFOHEADER header{};
    std::vector<unsigned char> previous;
    std::vector<unsigned char> current = capture(all, header);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!current.empty() && current != previous && std::chrono::steady_clock::now() < deadline) {
        previous.swap(current);
        std::this_thread::sleep_for(100ms);
        current = capture(all, header);
    }
    if (current.empty()) {
        return false;
    }
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(header);
    const BITMAPFILEHEADER file{0x4D42 /* "BM" */, offset + header.biSizeImage, 0, 0, offset};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file))
        .write(reinterpret_cast<const char*>(&header), sizeof(header))
        .write(reinterpret_cast<const char*>(current.data()),
               static_cast<std::streamsize>(current.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace gui
