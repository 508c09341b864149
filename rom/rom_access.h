#pragma once
// What every operation on the opened file needs: the file system, the path, the file
// mode and the Status log. No file is kept open or cached between operations.

#include "rom/file_system.h"
#include "rom/log_sink.h"

#include <cstdint>
#include <span>
#include <string>

namespace kavelo {

enum class file_mode : int32_t { none = -1, rom_image = 0, bare_track = 1 };

inline constexpr char rom_serial[] = "GM 00004417-00";
inline constexpr std::size_t rom_serial_offset = 0x180;
inline constexpr std::size_t rom_serial_length = 14;

struct rom_access {
    const file_system& fs;
    std::string path;
    file_mode mode = file_mode::rom_image;
    log_sink log;
};

// True when the first bytes of a file hold the game's serial at 0x180.
bool rom_serial_matches(std::span<const uint8_t> head);

// True when the file at `path` is a whole, compatible game ROM (file mode 0).
bool rom_is_compatible(const file_system& fs, const std::string& path);

} // namespace kavelo
