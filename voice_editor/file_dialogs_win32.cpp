#include "voice_editor/file_dialogs_win32.h"

#include <array>
#include <commdlg.h>

namespace kavelo {

std::optional<std::string> ask_for_file(HWND owner, HINSTANCE instance, const char* description,
                                        const char* pattern, const char* default_extension,
                                        DWORD flags) {
    // Pairs separated by NULs, the list ended by an empty pair.
    std::string filter =
        std::string(description) + '\0' + pattern + '\0' + "All Files (*.*)" + '\0' + "*.*" + '\0';
    std::array<char, 1024> path{};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = instance;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size() - 1);
    dialog.Flags = flags;
    dialog.lpstrDefExt = default_extension;
    if (!GetOpenFileNameA(&dialog)) {
        return std::nullopt;
    }
    return std::string(path.data());
}

} // namespace kavelo
