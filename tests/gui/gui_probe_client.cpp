// The driver's side of the probe: the shared memory, the hook on the program's GUI thread,
// the request, and the answer read back.

#include "gui_driver.h"
#include "gui_probe.h"

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

std::string menu_text(HWND window, int index) {
    const std::string answer = probe(window, probe_request_menu, {});
    if (answer.empty() || answer[0] != probe_answer_mark) {
        fail("the probe did not answer for window " + window_text(window));
    }
    std::string text = answer.substr(1);
    for (int p = 0; p < index; ++p) {
        const std::size_t next = text.find(" | ");
        text = next == std::string::npos ? std::string() : text.substr(next + 3);
    }
    return index < 0 ? text : text.substr(0, text.find(" | "));
}

} // namespace gui
