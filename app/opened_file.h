#pragma once
// The file the program has open, and what opening a path does (File > Open, the command
// line, a dropped file): the path is refused, or taken as a whole ROM image or a bare track.

#include "rom/file_system.h"
#include "rom/rom_access.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kavelo {

// The longest path kept, its terminating zero included: the Open dialog's buffer, which
// starts out holding the last opened path.
inline constexpr std::size_t opened_path_capacity = 1024;

struct opened_file {
    std::string path;
    file_mode mode = file_mode::none;
};

struct open_outcome {
    bool opened = false;
    opened_file file;     // the path and mode to take, when opened
    std::string log_line; // "  * ERROR: Cannot open PATH", or the kind of file opened

    // The line to log once the main window's menu was switched for the file: a ROM image
    // whose menu could not be set says so instead of naming its kind.
    std::string_view line_after_menu(bool menu_set) const;
};

// A path too long to keep or a file that cannot be read is refused; any other file is
// opened, as a ROM image when the game's serial matches and as a bare track otherwise.
open_outcome open_outcome_for(const file_system& fs, const std::string& path);

} // namespace kavelo
