// The main window: its messages and the commands of its menus and accelerators.

#include "app/app_win32.h"
#include "header_editor/header_editor_win32.h"
#include "res/resource.h"
#include "voice_editor/voice_editor_win32.h"

namespace kavelo {

namespace {

LRESULT on_create(HWND window) {
    the_app().status_log = status_log_create(window, the_app().instance);
    DragAcceptFiles(window, TRUE); // a file dropped on the window opens as File > Open would
    return 0;
}

LRESULT on_paint(HWND window) {
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

void on_about(HWND window) {
    DialogBoxParamA(the_app().instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, about_dialog_proc,
                    0);
}

// Returns true when the command was one of the main window's own.
bool on_command(HWND window, int command) {
    switch (command) {
    case IDM_OPEN:
        open_rom_file(window);
        return true;
    case IDM_ABOUT:
        on_about(window);
        return true;
    case IDM_EXIT:
        DestroyWindow(window);
        return true;
    case IDM_VOICE_EDITOR:
        voice_editor_open(main_window_as_owner());
        return true;
    case IDM_TRACK_HEADER_EDITOR: {
        // Its modal loop runs inside; the other windows stay usable, their keys included.
        const accelerators_in_modal_loop keys;
        header_editor_open(main_window_as_owner());
        return true;
    }
    case IDM_FIX_CHECKSUM:
        fix_rom_checksum(window);
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        return on_create(window);
    case WM_PAINT:
        return on_paint(window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_DROPFILES:
        open_dropped_files(window, reinterpret_cast<HDROP>(wparam));
        return 0;
    case WM_COMMAND:
        if (on_command(window, LOWORD(wparam))) {
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

rom_access current_rom_access() {
    const app_state& app = the_app();
    return rom_access{native_file_system(), app.file.path, app.file.mode, status_log_sink()};
}

editor_owner main_window_as_owner() {
    return editor_owner{the_app().instance, the_app().main_window, current_rom_access,
                        status_log_sink()};
}

} // namespace kavelo
