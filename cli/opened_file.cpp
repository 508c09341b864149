#include "cli/opened_file.h"

#include "cli/commands.h"
#include "rom/file_image.h"
#include "rom/track_table.h"

#include <iostream>

namespace kavelo::cli {

std::optional<opened_file> open_for_command(const std::string& path, const std::string& track) {
    const file_system& fs = native_file_system();
    std::vector<uint8_t> head;
    read_status status = fs.read_head(path, 1, head);
    if (status != read_status::ok) {
        fail(path, describe_read_failure(status, path));
        return std::nullopt;
    }
    const file_mode mode =
        rom_is_compatible(fs, path) ? file_mode::rom_image : file_mode::bare_track;
    opened_file opened{{fs, path, mode, [](std::string_view line) { std::cerr << line << '\n'; }},
                       0,
                       "bare track"};
    if (mode == file_mode::bare_track) {
        if (!track.empty()) {
            fail(path, "a bare music track has no track list; leave out --track");
            return std::nullopt;
        }
        return opened;
    }
    const std::optional<int32_t> index = find_track(track.empty() ? "0" : track);
    if (!index) {
        fail(path, "no track \"" + track + "\": give an index 0-18 or a track name");
        return std::nullopt;
    }
    opened.track_start = track_table[*index].start;
    opened.track_label = std::string(track_table[*index].name);
    return opened;
}

} // namespace kavelo::cli
