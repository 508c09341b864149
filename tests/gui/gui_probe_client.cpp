// The driver's side of the probe: installs the hook on the program's GUI thread, sends the
// request and takes the answer.

#include "gui_driver.h"
#include "gui_probe.h"

#include <cstring>

namespace gui {

namespace {

std::vector<menu_popup>* menu_answer = nullptr; // where the next answer goes

LRESULT CALLBACK take_answer(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (message != WM_COPYDATA || menu_answer == nullptr) {
        return DefWindowProcA(window, message, wparam, lparam);
    }
    const auto* lines = static_cast<const probe_menu_line*>(data->lpData);
    for (std::size_t i = 0; i < data->cbData / sizeof(probe_menu_line); ++i) {
        const probe_menu_line& line = lines[i];
        const std::string text =
            line.separator ? "" : std::string(line.text, strnlen(line.text, sizeof(line.text)));
        if (line.popup) {
            menu_answer->push_back(menu_popup{text, {}});
        } else if (!menu_answer->empty()) {
            menu_answer->back().items.push_back(
                menu_item{text, line.command, line.separator != 0, line.grayed != 0});
        }
    }
    menu_answer = nullptr;
    return TRUE;
}

// Hooks the thread that owns `window` with the probe, sends it the request and unhooks;
// false when the window did not take the request in time.
bool send_probe_request(HWND window, LPARAM request) {
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string directory(path);
        directory.erase(directory.find_last_of("\\/") + 1);
        return LoadLibraryA((directory + probe_dll_name).c_str());
    }();
    static HWND reply = [] {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = take_answer;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "KaveloGuiProbeReply";
        RegisterClassA(&window_class);
        return CreateWindowExA(0, window_class.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, window_class.hInstance, nullptr);
    }();
    // GetProcAddress hands back a generic function pointer; go through void* to the hook type.
    FARPROC address = module != nullptr ? GetProcAddress(module, probe_hook_name) : nullptr;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(address));
    if (hook == nullptr) {
        fail(std::string("cannot load the probe ") + probe_dll_name);
    }
    HHOOK installed =
        SetWindowsHookExA(WH_CALLWNDPROC, hook, module, GetWindowThreadProcessId(window, nullptr));
    if (installed == nullptr) {
        fail("cannot hook the program's thread (error " + std::to_string(GetLastError()) + ")");
    }
    DWORD_PTR ignored = 0;
    const LRESULT sent =
        SendMessageTimeoutA(window, RegisterWindowMessageA(probe_request_message),
                            reinterpret_cast<WPARAM>(reply), request, SMTO_NORMAL, 5000, &ignored);
    UnhookWindowsHookEx(installed);
    return sent != 0;
}

} // namespace

void drop_file(HWND window, const std::string& windows_path) {
    if (windows_path.size() >= probe_drop_path_capacity) {
        fail("the path to drop is too long: " + windows_path);
    }
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        probe_drop_path_capacity, probe_drop_memory_name);
    char* shared = mapping != nullptr
                       ? static_cast<char*>(
                             MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, probe_drop_path_capacity))
                       : nullptr;
    if (shared == nullptr) {
        fail("cannot share the path to drop");
    }
    windows_path.copy(shared, windows_path.size());
    shared[windows_path.size()] = '\0';
    const bool sent = send_probe_request(window, probe_request_drop);
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    if (!sent) {
        fail("the program did not take the dropped file " + windows_path);
    }
}

std::vector<menu_popup> read_menu(HWND window) {
    std::vector<menu_popup> menu;
    menu_answer = &menu;
    send_probe_request(window, probe_request_menu);
    const bool answered = menu_answer == nullptr;
    menu_answer = nullptr;
    if (!answered) {
        fail("the probe did not answer for window " + window_text(window));
    }
    return menu;
}

} // namespace gui
