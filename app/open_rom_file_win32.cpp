// Opening a file: File > Open, the command line and a file dropped on the main window all
// end in open_rom_path, which tells a whole ROM image from a bare track, switches to the
// menu that offers the editors and has open editors show the new file.

#include "app/app_win32.h"
#include "app/open_request.h"
#include "header_editor/header_editor_win32.h"
#include "res/resource.h"
#include "voice_editor/voice_editor_win32.h"

#include <commdlg.h>
#include <shellapi.h>

namespace kavelo {

namespace {

// Our filter first, every file after it; each pair ends in a zero, the list in two.
constexpr char open_filter[] = "Binary Files (*.bin)\0*.bin\0All Files (*.*)\0*.*\0";

// Sets a freshly loaded copy of menu 131 on the main window; a bare track has no
// cartridge checksum, so its menu leaves Fix Checksum out.
bool set_file_menu(HWND window, file_mode mode) {
    HMENU menu = LoadMenuA(the_app().instance, MAKEINTRESOURCEA(IDM_FILE_MENU));
    if (menu == nullptr) {
        return false;
    }
    if (mode != file_mode::rom_image) {
        DeleteMenu(menu, IDM_FIX_CHECKSUM, MF_BYCOMMAND);
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

void log_ignored(const open_request& request, std::string_view from) {
    const std::string line = ignored_line(request, from);
    if (!line.empty()) {
        status_log_append(line);
    }
}

} // namespace

void open_rom_file(HWND main_window) {
    app_state& app = the_app();
    // The last opened path is the dialog's initial name; the ROM path changes only once
    // the open editor has had its save prompt.
    std::array<char, opened_path_capacity> chosen{};
    app.file.path.copy(chosen.data(), chosen.size() - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = main_window;
    dialog.hInstance = app.instance;
    dialog.lpstrFilter = open_filter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size() - 1);
    dialog.Flags = OFN_FILEMUSTEXIST;
    dialog.lpstrDefExt = "bin";
    if (!GetOpenFileNameA(&dialog)) {
        return; // cancelled or failed: menu, file mode and log stay as they were
    }
    open_rom_path(main_window, chosen.data());
}

bool open_rom_path(HWND main_window, const std::string& path) {
    // The Open dialog only returns files that exist; the command line and a drop may not.
    const open_outcome outcome = open_outcome_for(native_file_system(), path);
    if (!outcome.opened) {
        status_log_append(outcome.log_line);
        return false;
    }
    // A Yes commits into the file the editor shows, before the path moves on.
    voice_editor_before_file_change();
    the_app().file = outcome.file;
    const bool menu_set = set_file_menu(main_window, outcome.file.mode);
    status_log_append(outcome.line_after_menu(menu_set));
    voice_editor_file_opened();
    header_editor_file_opened();
    return true;
}

void open_command_line(HWND main_window, std::string_view command_line) {
    const open_request request = command_line_request(command_line);
    log_ignored(request, "on the command line");
    if (request.path) {
        open_rom_path(main_window, *request.path);
    }
}

void open_dropped_files(HWND main_window, HDROP drop) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::array<char, 1024> name{};
        if (DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size())) > 0) {
            files.emplace_back(name.data());
        }
    }
    DragFinish(drop);
    const open_request request = dropped_files_request(std::move(files));
    log_ignored(request, "besides the first dropped file");
    if (request.path) {
        open_rom_path(main_window, *request.path);
    }
}

} // namespace kavelo
