// The driver's side of the probe: the shared memory, the hook on the program's GUI thread,
// the request, and the menu read back.

#include "gui_driver.h"
#include "gui_probe.h"

#include <cstring>

namespace gui {

std::string menu_text(HWND window) {
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string directory(path);
        directory.erase(directory.find_last_of("\\/") + 1);
        return LoadLibraryA((directory + "kavelo_gui_probe.dll").c_str());
    }();
    // GetProcAddress hands back a generic function pointer; go through void* to the hook type.
    FARPROC address = module != nullptr ? GetProcAddress(module, "probe_hook") : nullptr;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(address));
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        probe_memory_size, probe_memory_name);
    auto* shared =
        mapping != nullptr
            ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, probe_memory_size))
            : nullptr;
    if (hook == nullptr || shared == nullptr) {
        fail("cannot set up the probe kavelo_gui_probe.dll");
    }
    shared[0] = '\0';
    HHOOK installed =
        SetWindowsHookExA(WH_CALLWNDPROC, hook, module, GetWindowThreadProcessId(window, nullptr));
    if (installed == nullptr) {
        fail("cannot hook the program's thread (error " + std::to_string(GetLastError()) + ")");
    }
    DWORD_PTR ignored = 0;
    const LRESULT sent = SendMessageTimeoutA(window, RegisterWindowMessageA(probe_request_message),
                                             0, 0, SMTO_NORMAL, 5000, &ignored);
    UnhookWindowsHookEx(installed);
    const std::string answer(shared, strnlen(shared, probe_memory_size));
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    if (sent == 0 || answer.empty() || answer[0] != probe_answer_mark) {
        fail("the probe read no menu from window " + window_text(window));
    }
    return answer.substr(1);
}

} // namespace gui
