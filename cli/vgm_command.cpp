// kavelo vgm IN [--seconds S] (--raw OUT | -o OUT.wav): plays the YM2612 part of a VGM
// file (.vgm, or .vgz compressed with gzip) through the FM core at 44100 Hz.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "cli/voice_files.h"
#include "vgm/vgm_player.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>

namespace kavelo::cli {

namespace {

struct vgm_options {
    std::string path;
    double seconds = -1.0;
    audio_destination destination;
};

int run_vgm(const vgm_options& options) {
    std::vector<uint8_t> bytes;
    if (!read_input(options.path, vgm_max_unpacked_size, bytes)) {
        return 1;
    }
    if (vgm_is_gzip(bytes)) {
        std::vector<uint8_t> unpacked;
        if (const op_result unpacking = vgm_gunzip(bytes, unpacked); !unpacking.done()) {
            return fail(options.path, unpacking.problem);
        }
        bytes = std::move(unpacked);
    }
    const int64_t max_frames =
        options.seconds < 0 ? -1 : static_cast<int64_t>(std::llround(options.seconds * vgm_rate));
    std::vector<int8_t> samples;
    vgm_playback_notes notes;
    if (const vgm_result error = play_vgm(bytes, max_frames, samples, &notes); !error.done()) {
        char where[32];
        std::snprintf(where, sizeof where, "offset 0x%zX: ", error.offset);
        return fail(options.path, where + error.problem);
    }
    if (const int64_t n = notes.dac_writes_without_data; n > 0) {
        print_note(options.path,
                   std::to_string(n) +
                       (n == 1 ? " DAC write (0x8n) had no data in the data bank and was played "
                                 "as a wait only"
                               : " DAC writes (0x8n) had no data in the data bank and were played "
                                 "as waits only"));
    }
    return write_audio(options.destination, samples, vgm_rate);
}

} // namespace

void add_vgm_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<vgm_options>();
    CLI::App* command = app.add_subcommand(
        "vgm", "Play the YM2612 part of a VGM file (.vgm or .vgz) through the FM core at 44100 Hz");
    command->add_option("IN", options->path, "VGM file, plain or gzip-compressed")->required();
    command->add_option("--seconds", options->seconds, "stop after this much output")
        ->check(CLI::Range(0.0, 6000.0));
    add_audio_destination(*command, options->destination);
    command->footer("Example: kavelo vgm song.vgz --seconds 10 -o song.wav");
    command->callback([options, &context] { context.exit_code = run_vgm(*options); });
}

} // namespace kavelo::cli
