// kavelo_gui_probe.dll: the hook that answers the driver's requests from inside the program
// under test. Plain C library calls only, so the DLL needs no runtime DLLs of its own.

#include "gui_probe.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Sends the window's menu bar, each popup followed by its items, to the driver's window.
void answer_menu(HWND window, HWND reply) {
    static gui::probe_menu_line lines[gui::probe_max_lines];
    std::size_t count = 0;
    HMENU bar = GetMenu(window);
    const int popups = bar != nullptr ? GetMenuItemCount(bar) : 0;
    for (int p = 0; p < popups; ++p) {
        HMENU popup = GetSubMenu(bar, p);
        const int items = popup != nullptr ? GetMenuItemCount(popup) : 0;
        // Item -1 is the popup's own entry in the bar.
        for (int i = -1; i < items && count < gui::probe_max_lines; ++i) {
            gui::probe_menu_line& line = lines[count];
            line = gui::probe_menu_line{i < 0, 0, 0, 0, {}};
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = line.text;
            info.cch = sizeof(line.text) - 1;
            if (GetMenuItemInfoA(i < 0 ? bar : popup, static_cast<UINT>(i < 0 ? p : i), TRUE,
                                 &info)) {
                line.command = static_cast<int>(info.wID);
                line.separator = (info.fType & MFT_SEPARATOR) != 0;
                line.grayed = !line.separator && (info.fState & MFS_GRAYED) != 0;
                ++count;
            }
        }
    }
    COPYDATASTRUCT data{gui::probe_request_menu,
                        static_cast<DWORD>(count * sizeof(gui::probe_menu_line)), lines};
    SendMessageA(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                 reinterpret_cast<LPARAM>(&data));
}

// Posts the window a one-file HDROP made in this process from the path the driver left in
// shared memory, as the shell's drop would be.
void drop_file(HWND window) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, gui::probe_drop_memory_name);
    const char* path = mapping != nullptr
                           ? static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0,
                                                                    gui::probe_drop_path_capacity))
                           : nullptr;
    const std::size_t length = path != nullptr ? strnlen(path, gui::probe_drop_path_capacity) : 0;
    // The file list ends in two zeros; GHND zero-fills.
    HGLOBAL memory = path != nullptr ? GlobalAlloc(GHND, sizeof(DROPFILES) + length + 2) : nullptr;
    auto* files = memory != nullptr ? static_cast<DROPFILES*>(GlobalLock(memory)) : nullptr;
    if (files != nullptr) {
        files->pFiles = sizeof(DROPFILES);
        std::memcpy(files + 1, path, length);
        GlobalUnlock(memory);
        PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }
    UnmapViewOfFile(path);
    CloseHandle(mapping);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    probe_hook(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT request = RegisterWindowMessageA(gui::probe_request_message);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && call != nullptr && call->message == request) {
        if (call->lParam == gui::probe_request_drop) {
            drop_file(call->hwnd);
        } else if (call->lParam == gui::probe_request_menu) {
            answer_menu(call->hwnd, reinterpret_cast<HWND>(call->wParam));
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
