#include "gui_driver.h"
#include "gui_probe.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <thread>

namespace gui {

namespace {

constexpr duration poll_interval = 15ms;
constexpr UINT cross_process_timeout_ms = 5000;

// Sends a message to a window of another process without hanging on a stuck one. Wide
// messages: the system converts text between processes reliably only in this form.
LRESULT send_bounded_w(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             cross_process_timeout_ms, &result)) {
        fail("no answer from window " + window_class(window) + " to message " +
             std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

std::string narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

// The entries of a list box or combo box through its count, length and text messages.
std::vector<std::string> item_texts(HWND control, UINT count_message, UINT length_message,
                                    UINT text_message) {
    std::vector<std::string> items;
    const auto count = send_bounded_w(control, count_message, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = send_bounded_w(control, length_message, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        send_bounded_w(control, text_message, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::wcslen(text.c_str()));
        items.push_back(narrow(text));
    }
    return items;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

INPUT key_input(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void send_inputs(std::vector<INPUT> inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        fail("SendInput delivered " + std::to_string(sent) + " of " +
             std::to_string(inputs.size()) + " events");
    }
}

// The modifiers held, the key tapped, the modifiers released in reverse order.
void send_chord(const std::vector<WORD>& held, WORD key) {
    std::vector<INPUT> inputs;
    for (WORD modifier : held) {
        inputs.push_back(key_input(modifier, false));
    }
    inputs.push_back(key_input(key, false));
    inputs.push_back(key_input(key, true));
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        inputs.push_back(key_input(*it, true));
    }
    send_inputs(inputs);
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
        std::this_thread::sleep_for(poll_interval);
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
    if (info_.hProcess == nullptr) {
        return;
    }
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

bool app_process::running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND app_process::focus() const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    return GetGUIThreadInfo(info_.dwThreadId, &thread) ? thread.hwndFocus : nullptr;
}

namespace {

struct enum_state {
    DWORD pid;
    std::vector<HWND> found;
};

// Callbacks of the system's window enumeration (named: a 32-bit one takes stdcall).
BOOL CALLBACK collect_top_level(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<enum_state*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == state.pid && IsWindowVisible(window)) {
        state.found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collect_child(HWND window, LPARAM param) {
    reinterpret_cast<enum_state*>(param)->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> top_level_windows(DWORD pid) {
    enum_state state{pid, {}};
    EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND wait_window(DWORD pid, const std::string& class_name, const std::string& title,
                 duration timeout) {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND window : top_level_windows(pid)) {
                if (window_class(window) == class_name &&
                    (title.empty() || title_of(window) == title)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

HWND wait_dialog(DWORD pid, const std::string& title, duration timeout) {
    return wait_window(pid, "#32770", title, timeout);
}

HWND wait_popup_menu(DWORD pid, duration timeout) {
    return wait_window(pid, "#32768", {}, timeout);
}

bool wait_gone(HWND window, duration timeout) {
    return wait_until([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

std::string window_text(HWND window) {
    const auto length = static_cast<std::size_t>(send_bounded_w(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        send_bounded_w(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                       reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return narrow(text);
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
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND find_child(HWND parent, const std::string& class_name, const std::string& text) {
    for (HWND child : child_windows(parent)) {
        if (lower(window_class(child)) == lower(class_name) &&
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

std::vector<std::string> list_box_items(HWND list) {
    return item_texts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> combo_box_items(HWND combo) {
    return item_texts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
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
    HWND box = wait_dialog(pid, title, timeout);
    HWND target = box != nullptr ? find_child(box, "Button", button) : nullptr;
    if (target == nullptr) {
        return false;
    }
    click_button(target);
    return wait_gone(box, timeout);
}

HWND file_dialog_name_field(HWND dialog) {
    // The Explorer-style dialog keeps the name in an edit inside combo cmb13 (0x47C); the
    // older one in edit edt1 (0x480).
    if (HWND combo = GetDlgItem(dialog, 0x47C)) {
        HWND edit = lower(window_class(combo)) == "edit" ? combo : find_child(combo, "Edit");
        return edit != nullptr ? edit : combo;
    }
    if (HWND edit = GetDlgItem(dialog, 0x480)) {
        return edit;
    }
    fail("the file dialog has no file name field");
}

HWND file_dialog_type_list(HWND dialog) {
    return dialog_item(dialog, 0x470);
}

void fill_file_dialog(HWND dialog, const std::string& windows_path) {
    std::wstring path(windows_path.size() + 1, L'\0');
    path.resize(static_cast<std::size_t>(
        std::max(MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, path.data(),
                                     static_cast<int>(path.size())) -
                     1,
                 0)));
    send_bounded_w(file_dialog_name_field(dialog), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(path.c_str()));
    click_button(dialog_item(dialog, IDOK));
}

bool bring_to_front(HWND window) {
    return wait_until(
        [&] {
            if (GetForegroundWindow() == window) {
                return true;
            }
            SetForegroundWindow(window);
            return false;
        },
        3s);
}

void press_chord(std::initializer_list<WORD> modifiers, WORD key) {
    send_chord(modifiers, key);
}

void send_key(WORD key, bool up) {
    send_inputs({key_input(key, up)});
}

void type_char_chord(std::initializer_list<WORD> modifiers, char character) {
    const SHORT scan = VkKeyScanA(character);
    if (scan == -1) {
        fail(std::string("the keyboard layout has no key for '") + character + "'");
    }
    std::vector<WORD> held(modifiers);
    if (scan & 0x100) {
        held.push_back(VK_SHIFT);
    }
    send_chord(held, static_cast<WORD>(scan & 0xFF));
}

void click_at(POINT screen_point, bool right) {
    SetCursorPos(screen_point.x, screen_point.y);
    std::vector<INPUT> inputs(2);
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    send_inputs(inputs);
}

void click_window(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    click_at(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

std::vector<menu_popup> read_menu(HWND window) {
    std::vector<menu_popup> popups;
    for (const probe_menu_line& line : probe_read_menu(window)) {
        const std::string text(line.text, strnlen(line.text, sizeof(line.text)));
        if (line.popup) {
            popups.push_back(menu_popup{text, {}});
        } else if (!popups.empty()) {
            popups.back().items.push_back(
                menu_item{text, line.command, line.separator != 0, line.grayed != 0});
        }
    }
    return popups;
}

namespace {

// What the screen shows inside `rect`, as the pixels of a 24-bit bottom-up BMP.
bool capture(const RECT& rect, BITMAPINFOHEADER& header, std::vector<unsigned char>& pixels) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4 * static_cast<DWORD>(height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    bool captured = false;
    if (bitmap != nullptr && memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        captured = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
        pixels.assign(static_cast<const unsigned char*>(bits),
                      static_cast<const unsigned char*>(bits) + header.biSizeImage);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return captured;
}

} // namespace

bool screenshot(const std::vector<HWND>& windows, const std::string& path) {
    RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!windows.empty()) {
        all = RECT{};
        for (HWND window : windows) {
            RECT rect{};
            if (!GetWindowRect(window, &rect)) {
                return false;
            }
            UnionRect(&all, &all, &rect);
        }
    }
    // A window just shown may still be painting: wait (bounded) until two captures agree.
    BITMAPINFOHEADER header{};
    std::vector<unsigned char> previous;
    std::vector<unsigned char> current;
    if (!capture(all, header, previous)) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    for (;;) {
        std::this_thread::sleep_for(100ms);
        if (!capture(all, header, current)) {
            return false;
        }
        if (current == previous || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        previous.swap(current);
    }
    BITMAPFILEHEADER file_header{};
    file_header.bfType = 0x4D42; // "BM"
    file_header.bfOffBits = sizeof(file_header) + sizeof(header);
    file_header.bfSize = file_header.bfOffBits + header.biSizeImage;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(&file_header, sizeof(file_header), 1, file) == 1 &&
                         std::fwrite(&header, sizeof(header), 1, file) == 1 &&
                         std::fwrite(current.data(), current.size(), 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

} // namespace gui
