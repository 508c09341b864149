// kavelo_gui_probe.dll: the hook that answers the driver's requests from inside the program
// under test. Plain C library calls only, so the DLL needs no runtime DLLs of its own.

#include "gui_probe.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct answer_buffer {
    char text[gui::probe_answer_capacity];
    std::size_t length;
};

void append(answer_buffer& answer, const char* text) {
    const std::size_t room = sizeof(answer.text) - answer.length - 1;
    const std::size_t count = std::min(std::strlen(text), room);
    std::memcpy(answer.text + answer.length, text, count);
    answer.length += count;
    answer.text[answer.length] = '\0';
}

void describe_menu(HMENU menu, answer_buffer& answer) {
    const int popups = GetMenuItemCount(menu);
    for (int p = 0; p < popups; ++p) {
        char line[600];
        char text[512] = {};
        GetMenuStringA(menu, static_cast<UINT>(p), text, sizeof(text), MF_BYPOSITION);
        std::snprintf(line, sizeof(line), "P\t%s\n", text);
        append(answer, line);
        HMENU popup = GetSubMenu(menu, p);
        const int items = popup != nullptr ? GetMenuItemCount(popup) : 0;
        for (int i = 0; i < items; ++i) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof(text) - 1;
            text[0] = '\0';
            if (!GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info)) {
                continue;
            }
            const char* flags = (info.fType & MFT_SEPARATOR) ? "S"
                                : (info.fState & MFS_GRAYED) ? "G"
                                                             : "-";
            std::snprintf(line, sizeof(line), "I\t%u\t%s\t%s\n", info.wID, flags,
                          (info.fType & MFT_SEPARATOR) ? "" : text);
            append(answer, line);
        }
    }
}

// Builds a one-file HDROP in this process from the path the driver left in shared memory
// and posts it to the window.
void drop_file(HWND window) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, gui::probe_drop_memory_name);
    if (mapping == nullptr) {
        return;
    }
    const char* path = static_cast<const char*>(
        MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, gui::probe_drop_path_capacity));
    if (path == nullptr) {
        CloseHandle(mapping);
        return;
    }
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
    CloseHandle(mapping);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    probe_hook(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT request = RegisterWindowMessageA(gui::probe_request_message);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && call != nullptr && call->message == request &&
        call->lParam == gui::probe_request_drop) {
        drop_file(call->hwnd);
    }
    if (code == HC_ACTION && call != nullptr && call->message == request &&
        call->lParam == gui::probe_request_menu) {
        static answer_buffer answer;
        answer.length = 0;
        answer.text[0] = '\0';
        if (HMENU menu = GetMenu(call->hwnd)) {
            describe_menu(menu, answer);
        }
        COPYDATASTRUCT data{};
        data.dwData = static_cast<ULONG_PTR>(gui::probe_request_menu);
        data.cbData = static_cast<DWORD>(answer.length + 1);
        data.lpData = answer.text;
        SendMessageA(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA,
                     reinterpret_cast<WPARAM>(call->hwnd), reinterpret_cast<LPARAM>(&data));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
