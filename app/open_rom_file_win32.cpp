// File > Open: asks for a file, tells a whole ROM image from a bare track and switches to
// the menu that offers the editors.

#include "app/app_win32.h"
#include "res/resource.h"

#include <commdlg.h>

namespace kavelo {

namespace {

// Our filter first, every file after it; each pair ends in a zero, the list in two.
constexpr char open_filter[] = "Binary Files (*.bin)\0*.bin\0All Files (*.*)\0*.*\0";

// Sets a freshly loaded copy of menu 131 on the main window.
bool set_file_menu(HWND window) {
    HMENU menu = LoadMenuA(the_app().instance, MAKEINTRESOURCEA(IDM_FILE_MENU));
    if (menu == nullptr) {
        return false;
    }
    HMENU previous = GetMenu(window);
    if (!SetMenu(window, menu)) {
        DestroyMenu(menu);
        return false;
    }
    // A menu that no window holds any more is not freed by anyone else.
    if (previous != nullptr) {
        DestroyMenu(previous);
    }
    return true;
}

} // namespace

void open_rom_file(HWND main_window) {
    app_state& app = the_app();
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = main_window;
    dialog.hInstance = app.instance;
    dialog.lpstrFilter = open_filter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = app.rom_path.data();
    dialog.nMaxFile = static_cast<DWORD>(app.rom_path.size() - 1);
    dialog.Flags = OFN_FILEMUSTEXIST;
    dialog.lpstrDefExt = "bin";
    if (!GetOpenFileNameA(&dialog)) {
        return; // cancelled or failed: menu, file mode and log stay as they were
    }

    if (rom_is_compatible(native_file_system(), app.rom_path.data())) {
        if (set_file_menu(main_window)) {
            status_log_append("  * Opened compatible Brisco ROM");
        } else {
            status_log_append("  * ERROR: Cannot switch menus!");
        }
        app.mode = file_mode::rom_image;
    } else {
        set_file_menu(main_window);
        status_log_append("  * Opened Binary Music Track");
        app.mode = file_mode::bare_track;
    }
}

} // namespace kavelo
