#include "voice_editor/voice_file_dialogs_win32.h"

#include <commdlg.h>

namespace kavelo {

namespace {

struct filter_list {
    std::string text;                    // pairs separated by NULs, ended by an empty pair
    std::vector<std::string> extensions; // of each filter, from 1; "" for the "All" ones
};

void add_filter(filter_list& list, const std::string& description, const std::string& pattern,
                const std::string& extension) {
    list.text += description + '\0' + pattern + '\0';
    list.extensions.push_back(extension);
}

filter_list make_filters(voice_file_kind kind, bool writing) {
    filter_list list;
    std::string all;
    for (const voice_format& format : voice_formats()) {
        if (format.kind == kind && (!writing || format.write)) {
            all += (all.empty() ? "*." : ";*.") + std::string(format.extensions[0]);
        }
    }
    if (!writing) {
        add_filter(list,
                   kind == voice_file_kind::bank ? "All voice bank files" : "All instrument files",
                   all, "");
    }
    for (const voice_format& format : voice_formats()) {
        if (format.kind == kind && (!writing || format.write)) {
            const std::string ext(format.extensions[0]);
            add_filter(list, std::string(format.name) + " (*." + ext + ")", "*." + ext, ext);
        }
    }
    add_filter(list, "All Files (*.*)", "*.*", "");
    return list;
}

// The settings both dialogs share; the chosen path (or paths) land in `buffer`, whose last
// `spare` bytes stay free for the NULs that end the answer.
OPENFILENAMEA dialog_settings(HWND owner, HINSTANCE instance, const filter_list& filters,
                              std::vector<char>& buffer, std::size_t spare) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = instance;
    dialog.lpstrFilter = filters.text.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size() - spare);
    return dialog;
}

} // namespace

std::vector<std::string> ask_for_voice_files(HWND owner, HINSTANCE instance, voice_file_kind kind) {
    const filter_list filters = make_filters(kind, false);
    std::vector<char> buffer(32 * 1024, '\0');
    OPENFILENAMEA dialog = dialog_settings(owner, instance, filters, buffer, 2);
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) {
        return {};
    }
    // One file: its full path. Several: the folder, then each name, each ended by a NUL.
    std::vector<std::string> parts;
    for (const char* p = buffer.data(); *p != '\0'; p += parts.back().size() + 1) {
        parts.emplace_back(p);
    }
    if (parts.size() <= 1) {
        return parts;
    }
    std::vector<std::string> paths;
    const std::string folder = parts[0].back() == '\\' ? parts[0] : parts[0] + '\\';
    for (std::size_t i = 1; i < parts.size(); ++i) {
        paths.push_back(folder + parts[i]);
    }
    return paths;
}

std::optional<std::string> ask_for_voice_file_to_write(HWND owner, HINSTANCE instance,
                                                       voice_file_kind kind) {
    const filter_list filters = make_filters(kind, true);
    std::vector<char> buffer(1024, '\0');
    OPENFILENAMEA dialog = dialog_settings(owner, instance, filters, buffer, 1);
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) {
        return std::nullopt;
    }
    std::string path(buffer.data());
    const voice_format* typed = voice_format_by_extension(path);
    const bool fits = typed && typed->kind == kind && typed->write;
    const std::size_t chosen = dialog.nFilterIndex >= 1 ? dialog.nFilterIndex - 1 : 0;
    if (!fits && chosen < filters.extensions.size() && !filters.extensions[chosen].empty()) {
        path += "." + filters.extensions[chosen];
    }
    return path;
}

} // namespace kavelo
