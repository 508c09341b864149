#include "app/opened_file.h"

#include <vector>

namespace kavelo {

std::string_view open_outcome::line_after_menu(bool menu_set) const {
    if (file.mode == file_mode::rom_image && !menu_set) {
        return "  * ERROR: Cannot switch menus!";
    }
    return log_line;
}

open_outcome open_outcome_for(const file_system& fs, const std::string& path) {
    std::vector<uint8_t> head;
    if (path.size() >= opened_path_capacity || fs.read_head(path, 1, head) != read_status::ok) {
        return {false, {}, "  * ERROR: Cannot open " + path};
    }
    if (rom_is_compatible(fs, path)) {
        return {true, {path, file_mode::rom_image}, "  * Opened compatible Brisco ROM"};
    }
    return {true, {path, file_mode::bare_track}, "  * Opened Binary Music Track"};
}

} // namespace kavelo
