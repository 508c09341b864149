// kavelo_gui_probe.dll: the hook that answers the driver's requests from inside the program
// under test. Plain C library calls only, so the DLL needs no runtime DLLs of its own.

#include "gui_probe.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Sends the window's menu bar, popups and their items, to the driver's reply window.
void answer_menu(HWND window, HWND reply) {
    static gui::probe_menu_line lines[gui::probe_max_lines];
    std::size_t count = 0;
    HMENU menu = GetMenu(window);
    const int popups = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int p = 0; p < popups && count < gui::probe_max_lines; ++p) {
        lines[count] = gui::probe_menu_line{1, 0, 0, 0, {}};
        GetMenuStringA(menu, static_cast<UINT>(p), lines[count].text, sizeof(lines[count].text),
                       MF_BYPOSITION);
        ++count;
        HMENU popup = GetSubMenu(menu, p);
        const int items = popup != nullptr ? GetMenuItemCount(popup) : 0;
        for (int i = 0; i < items && count < gui::probe_max_lines; ++i) {
            gui::probe_menu_line& line = lines[count];
            line = gui::probe_menu_line{0, 0, 0, 0, {}};
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = line.text;
            info.cch = sizeof(line.text) - 1;
            if (GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info)) {
                line.command = static_cast<int>(info.wID);
                line.separator = (info.fType & MFT_SEPARATOR) != 0;
                line.grayed = !line.separator && (info.fState & MFS_GRAYED) != 0;
                if (line.separator) {
                    line.text[0] = '\0';
                }
                ++count;
            }
        }
    }
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(gui::probe_request_menu);
    data.cbData = static_cast<DWORD>(count * sizeof(gui::probe_menu_line));
    data.lpData = lines;
    SendMessageA(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                 reinterpret_cast<LPARAM>(&data));
}

// Builds a one-file HDROP in this process from the path the driver left in shared memory
// and posts it to the window.
void drop_file(HWND window) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, gui::probe_drop_memory_name);
    const char* path = mapping != nullptr
                           ? static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0,
                                                                    gui::probe_drop_path_capacity))
                           : nullptr;
    if (path != nullptr) {
        const std::size_t length = strnlen(path, gui::probe_drop_path_capacity - 1);
        // The file list ends in two zeros; GHND zero-fills.
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + length + 2);
        auto* files = memory != nullptr ? static_cast<DROPFILES*>(GlobalLock(memory)) : nullptr;
        if (files != nullptr) {
            files->pFiles = sizeof(DROPFILES);
            files->fWide = FALSE;
            std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path, length);
            GlobalUnlock(memory);
            PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        }
        UnmapViewOfFile(path);
    }
    if (mapping != nullptr) {
        CloseHandle(mapping);
    }
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
