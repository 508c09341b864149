// kavelo demo-rom / demo-track: write the synthetic demo files.

#include "cli/commands.h"
#include "demo/demo_rom.h"
#include "rom/file_image.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

int write_demo(const std::string& path, const std::vector<uint8_t>& bytes, const char* what) {
    if (!replace_file_atomically(native_file_system(), path, bytes)) {
        return fail(path, "cannot write the file");
    }
    std::cout << "wrote " << what << " (" << bytes.size() << " bytes) to " << path << '\n';
    return 0;
}

} // namespace

void add_demo_commands(CLI::App& app, cli_context& context) {
    auto rom_path = std::make_shared<std::string>();
    CLI::App* rom = app.add_subcommand("demo-rom", "Write a synthetic 512 KiB ROM image with 19 "
                                                   "demo tracks and instrument voices");
    rom->add_option("-o,--output", *rom_path, "file to write")->required();
    rom->footer("Example: kavelo demo-rom -o demo-rom.bin");
    rom->callback([rom_path, &context] {
        context.exit_code = write_demo(*rom_path, make_demo_rom(), "demo ROM");
    });

    auto track_path = std::make_shared<std::string>();
    auto track_index = std::make_shared<int>(0);
    CLI::App* track = app.add_subcommand("demo-track", "Write one demo track as a bare music "
                                                       "track file (binary track mode)");
    track->add_option("-o,--output", *track_path, "file to write")->required();
    track->add_option("--track,-t", *track_index, "track index 0-18 (default 0)")
        ->check(CLI::Range(0, 18));
    track->footer("Example: kavelo demo-track -o track.bin");
    track->callback([track_path, track_index, &context] {
        context.exit_code = write_demo(*track_path, make_demo_track(*track_index), "demo track");
    });
}

} // namespace kavelo::cli
