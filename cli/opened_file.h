#pragma once
// The file a command works on, opened the way the editor opens it: its mode decided by
// the serial, its track chosen by index or name.

#include "rom/rom_access.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kavelo::cli {

struct opened_file {
    rom_access access;
    uint32_t track_start = 0;
    std::string track_label; // the track's display name, or "bare track"
};

// Opens `path`; `track` is an index, a display name or empty (track 0). Prints the error
// and returns nothing when the file cannot be read or the track is unknown.
std::optional<opened_file> open_for_command(const std::string& path, const std::string& track);

} // namespace kavelo::cli
