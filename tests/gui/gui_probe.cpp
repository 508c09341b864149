// kavelo_gui_probe.dll: the hook that answers the driver's requests from inside the program
// under test. Plain C library calls only, so the DLL needs no runtime DLLs of its own.

#include "gui_probe.h"

#include <cstdio>
#include <cstring>

namespace {

// The window's menu bar as the driver reads it: "popup: item=command, -, item=command~ | ..."
// ("~" after a grayed item), after the answer mark.
void answer_menu(HWND window, char* out) {
    std::size_t used = 0;
    out[used++] = gui::probe_answer_mark;
    HMENU bar = GetMenu(window);
    const int popups = bar != nullptr ? GetMenuItemCount(bar) : 0;
    for (int p = 0; p < popups; ++p) {
        HMENU popup = GetSubMenu(bar, p);
        const int items = popup != nullptr ? GetMenuItemCount(popup) : 0;
        for (int i = -1; i < items; ++i) { // item -1: the popup's own entry in the bar
            char text[120] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof(text) - 1;
            if (!GetMenuItemInfoA(i < 0 ? bar : popup, static_cast<UINT>(i < 0 ? p : i), TRUE,
                                  &info)) {
                continue;
            }
            const char* lead = i < 0 ? (p > 0 ? " | " : "") : i == 0 ? " " : ", ";
            const bool grayed = (info.fState & MFS_GRAYED) != 0;
            const int length =
                i < 0
                    ? std::snprintf(out + used, gui::probe_memory_size - used, "%s%s:", lead, text)
                : (info.fType & MFT_SEPARATOR) != 0
                    ? std::snprintf(out + used, gui::probe_memory_size - used, "%s-", lead)
                    : std::snprintf(out + used, gui::probe_memory_size - used, "%s%s=%u%s", lead,
                                    text, info.wID, grayed ? "~" : "");
            if (length < 0 || used + static_cast<std::size_t>(length) >= gui::probe_memory_size) {
                return;
            }
            used += static_cast<std::size_t>(length);
        }
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    probe_hook(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT request = RegisterWindowMessageA(gui::probe_request_message);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && call != nullptr && call->message == request) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, gui::probe_memory_name);
        auto* shared = mapping != nullptr
                           ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0,
                                                              gui::probe_memory_size))
                           : nullptr;
        if (shared != nullptr) {
            answer_menu(call->hwnd, shared);
        }
        UnmapViewOfFile(shared);
        CloseHandle(mapping);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
