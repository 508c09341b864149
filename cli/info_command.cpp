// kavelo info FILE: the file's mode and, for a ROM image, its 19 tracks.

#include "cli/commands.h"
#include "cli/opened_file.h"
#include "rom/file_image.h"
#include "rom/track_table.h"
#include "rom/voice_table.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

namespace kavelo::cli {

namespace {

struct info_options {
    std::string path;
};

std::string describe_voices(const file_image& file, file_mode mode, uint32_t start) {
    voice_table_extent extent;
    op_result located = locate_voice_table(file.bytes, mode, start, extent);
    if (located.code != result_done) {
        return "unreadable: " + located.problem;
    }
    return std::to_string(extent.voices_in_track);
}

int run_info(const info_options& options) {
    std::optional<opened_file> opened = open_for_command(options.path, "");
    if (!opened) {
        return 1;
    }
    file_image file = read_file_image(opened->access.fs, options.path);
    if (file.status != read_status::ok) {
        return fail(options.path, describe_read_failure(file.status, options.path));
    }
    if (opened->access.mode == file_mode::bare_track) {
        std::cout << "mode: bare music track (binary track mode)\n"
                  << "size: " << file.bytes.size() << " bytes\n"
                  << "voices: " << describe_voices(file, file_mode::bare_track, 0) << '\n';
        return 0;
    }
    std::cout << "mode: compatible Brisco ROM image\n"
              << "size: " << file.bytes.size() << " bytes\n"
              << "tracks:\n";
    for (int32_t i = 0; i < track_count; ++i) {
        const track_entry& track = track_table[i];
        char line[96];
        std::snprintf(line, sizeof line, "  %2d  %-16s 0x%05X-0x%05X  voices: ", i,
                      std::string(track.name).c_str(), track.start, track.end);
        std::cout << line << describe_voices(file, file_mode::rom_image, track.start) << '\n';
    }
    return 0;
}

} // namespace

void add_info_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<info_options>();
    CLI::App* command = app.add_subcommand("info", "Print the file's mode and, for a ROM image, "
                                                   "its tracks with offsets and voice counts");
    command->add_option("FILE", options->path, "ROM image or bare track")->required();
    command->footer("Example: kavelo info demo-rom.bin");
    command->callback([options, &context] { context.exit_code = run_info(*options); });
}

} // namespace kavelo::cli
