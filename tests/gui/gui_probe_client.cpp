// The driver's side of the probe: the shared memory, the hook on the program's GUI thread,
// the request, and the answer read back.

#include "gui_driver.h"
#include "gui_probe.h"

#include <cstdio>
#include <cstring>

namespace gui {

namespace {

// Hooks the thread of `window` with the probe, sends the request with `text` in the shared
// memory, and returns what the memory holds after it.
std::string probe(HWND window, LPARAM request, const std::string& text) {
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string directory(path);
        directory.erase(directory.find_last_of("\\/") + 1);
        return LoadLibraryA((directory + probe_dll_name).c_str());
    }();
    // GetProcAddress hands back a generic function pointer; go through void* to the hook type.
    FARPROC address = module != nullptr ? GetProcAddress(module, probe_hook_name) : nullptr;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(address));
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        probe_memory_size, probe_memory_name);
    auto* shared =
        mapping != nullptr
            ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, probe_memory_size))
            : nullptr;
    if (hook == nullptr || shared == nullptr || text.size() >= probe_memory_size) {
        fail(std::string("cannot set up the probe ") + probe_dll_name);
    }
    text.copy(shared, text.size());
    shared[text.size()] = '\0';
    HHOOK installed =
        SetWindowsHookExA(WH_CALLWNDPROC, hook, module, GetWindowThreadProcessId(window, nullptr));
    if (installed == nullptr) {
        fail("cannot hook the program's thread (error " + std::to_string(GetLastError()) + ")");
    }
    DWORD_PTR ignored = 0;
    const LRESULT sent = SendMessageTimeoutA(window, RegisterWindowMessageA(probe_request_message),
                                             0, request, SMTO_NORMAL, 5000, &ignored);
    UnhookWindowsHookEx(installed);
    const std::string answer =
        sent != 0 ? std::string(shared, strnlen(shared, probe_memory_size)) : std::string();
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    if (sent == 0) {
        fail("the program did not take the probe's request");
    }
    return answer;
}

} // namespace

void drop_file(HWND window, const std::string& windows_path) {
    probe(window, probe_request_drop, windows_path);
}

std::vector<menu_popup> read_menu(HWND window) {
    const std::string answer = probe(window, probe_request_menu, {});
    if (answer.empty() || answer[0] != probe_answer_mark) {
        fail("the probe did not answer for window " + window_text(window));
    }
    std::vector<menu_popup> menu;
    for (std::size_t at = 1, end; (end = answer.find(probe_record_mark, at)) != std::string::npos;
         at = end + 1) {
        const std::string record = answer.substr(at, end - at);
        int popup = 0, separator = 0, grayed = 0, length = 0;
        unsigned command = 0;
        if (std::sscanf(record.c_str(), "%d %u %d %d%n", &popup, &command, &separator, &grayed,
                        &length) != 4) {
            fail("the probe's menu record is garbled: " + record);
        }
        const std::string text = record.substr(static_cast<std::size_t>(length) + 1);
        if (popup) {
            menu.push_back(menu_popup{text, {}});
        } else if (!menu.empty()) {
            menu.back().items.push_back(
                menu_item{text, static_cast<int>(command), separator != 0, grayed != 0});
        }
    }
    return menu;
}

} // namespace gui
