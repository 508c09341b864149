// kavelo info FILE: the file's mode and, for a ROM image, its 19 tracks.

#include "cli/commands.h"
#include "cli/json_text.h"
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
    bool json = false;
};

// The voice count of a track, or the reason it cannot be read.
struct track_voices {
    int32_t count = 0;
    std::string problem;
};

track_voices count_voices(const file_image& file, file_mode mode, uint32_t start) {
    voice_table_extent extent;
    op_result located = locate_voice_table(file.bytes, mode, start, extent);
    return {extent.voices_in_track, located.problem};
}

std::string describe(const track_voices& voices) {
    return voices.problem.empty() ? std::to_string(voices.count) : "unreadable: " + voices.problem;
}

std::string json_voices(const track_voices& voices) {
    return voices.problem.empty() ? std::to_string(voices.count) : "null";
}

void print_json(const file_image& file, file_mode mode) {
    std::cout << "{\"mode\": " << (mode == file_mode::rom_image ? "\"rom\"" : "\"bare_track\"")
              << ", \"size\": " << file.bytes.size();
    if (mode == file_mode::bare_track) {
        std::cout << ", \"voices\": " << json_voices(count_voices(file, mode, 0)) << "}\n";
        return;
    }
    std::cout << ", \"tracks\": [";
    for (int32_t i = 0; i < track_count; ++i) {
        const track_entry& track = track_table[i];
        std::cout << (i ? ", " : "") << "{\"index\": " << i
                  << ", \"name\": " << json_quote(track.name) << ", \"start\": " << track.start
                  << ", \"end\": " << track.end
                  << ", \"voices\": " << json_voices(count_voices(file, mode, track.start)) << "}";
    }
    std::cout << "]}\n";
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
    if (options.json) {
        print_json(file, opened->access.mode);
        return 0;
    }
    if (opened->access.mode == file_mode::bare_track) {
        std::cout << "mode: bare music track (binary track mode)\n"
                  << "size: " << file.bytes.size() << " bytes\n"
                  << "voices: " << describe(count_voices(file, file_mode::bare_track, 0)) << '\n';
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
        std::cout << line << describe(count_voices(file, file_mode::rom_image, track.start))
                  << '\n';
    }
    return 0;
}

} // namespace

void add_info_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<info_options>();
    CLI::App* command = app.add_subcommand("info", "Print the file's mode and, for a ROM image, "
                                                   "its tracks with offsets and voice counts");
    command->add_option("FILE", options->path, "ROM image or bare track")->required();
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->footer("Example: kavelo info demo-rom.bin");
    command->callback([options, &context] { context.exit_code = run_info(*options); });
}

} // namespace kavelo::cli
