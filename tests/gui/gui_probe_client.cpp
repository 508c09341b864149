// The driver's side of the probe: installs the hook on the program's GUI thread, sends the
// request and parses the answer.

#include "gui_driver.h"
#include "gui_probe.h"

#include <sstream>

namespace gui {

namespace {

std::string probe_answer;
bool probe_answered = false;

LRESULT CALLBACK reply_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        const auto* bytes = static_cast<const char*>(data->lpData);
        probe_answer.assign(bytes, data->cbData > 0 ? data->cbData - 1 : 0);
        probe_answered = true;
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND reply_window() {
    static HWND window = [] {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = reply_window_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "KaveloGuiProbeReply";
        RegisterClassA(&window_class);
        return CreateWindowExA(0, window_class.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, window_class.hInstance, nullptr);
    }();
    return window;
}

HMODULE probe_module() {
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string directory(path);
        directory.erase(directory.find_last_of("\\/") + 1);
        return LoadLibraryA((directory + probe_dll_name).c_str());
    }();
    return module;
}

// The item text is the last field and may itself hold tabs ("&Open\tCtrl+O").
std::string join_from(const std::vector<std::string>& fields, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < fields.size(); ++i) {
        text += (i > first ? "\t" : "") + fields[i];
    }
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

// Hooks the thread that owns `window` with the probe; unhook with UnhookWindowsHookEx.
HHOOK install_probe(HWND window) {
    HMODULE module = probe_module();
    // GetProcAddress hands back a generic function pointer; go through void* to the hook type.
    FARPROC address = module != nullptr ? GetProcAddress(module, probe_hook_name) : nullptr;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(address));
    if (hook == nullptr) {
        fail(std::string("cannot load the probe ") + probe_dll_name);
    }
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK installed = SetWindowsHookExA(WH_CALLWNDPROC, hook, module, thread);
    if (installed == nullptr) {
        fail("cannot hook the program's thread (error " + std::to_string(GetLastError()) + ")");
    }
    return installed;
}

} // namespace

void probe_drop_file(HWND window, const std::string& windows_path) {
    if (windows_path.size() >= probe_drop_path_capacity) {
        fail("the path to drop is too long: " + windows_path);
    }
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        probe_drop_path_capacity, probe_drop_memory_name);
    char* shared = nullptr;
    if (mapping != nullptr) {
        shared = static_cast<char*>(
            MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, probe_drop_path_capacity));
    }
    if (shared == nullptr) {
        fail("cannot share the path to drop");
    }
    windows_path.copy(shared, windows_path.size());
    shared[windows_path.size()] = '\0';
    HHOOK installed = install_probe(window);
    DWORD_PTR ignored = 0;
    const LRESULT sent = SendMessageTimeoutA(window, RegisterWindowMessageA(probe_request_message),
                                             reinterpret_cast<WPARAM>(reply_window()),
                                             probe_request_drop, SMTO_NORMAL, 5000, &ignored);
    UnhookWindowsHookEx(installed);
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    if (sent == 0) {
        fail("the program did not take the dropped file " + windows_path);
    }
}

std::vector<probe_menu_line> probe_read_menu(HWND window) {
    HHOOK installed = install_probe(window);
    probe_answered = false;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, RegisterWindowMessageA(probe_request_message),
                        reinterpret_cast<WPARAM>(reply_window()), probe_request_menu, SMTO_NORMAL,
                        5000, &ignored);
    UnhookWindowsHookEx(installed);
    if (!probe_answered) {
        fail("the probe did not answer for window " + window_text(window));
    }

    std::vector<probe_menu_line> lines;
    for (const std::string& line : split(probe_answer, '\n')) {
        const std::vector<std::string> fields = split(line, '\t');
        if (fields.size() >= 2 && fields[0] == "P") {
            lines.push_back(probe_menu_line{true, join_from(fields, 1), 0, false, false});
        } else if (fields.size() >= 3 && fields[0] == "I") {
            probe_menu_line item;
            item.command = std::stoi(fields[1]);
            item.separator = fields[2] == "S";
            item.grayed = fields[2] == "G";
            item.text = join_from(fields, 3);
            lines.push_back(item);
        }
    }
    return lines;
}

} // namespace gui
