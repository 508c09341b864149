// kavelo track-log / track-voices: the game's sound driver run over a track, as its
// writes frame by frame, or as which channels play each voice.

#include "cli/commands.h"
#include "cli/opened_file.h"
#include "track/track_log.h"
#include "track/voice_usage.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

// One minute of driver frames.
constexpr int64_t default_log_frames = 3600;
// Ten minutes: a first loop longer than that is not waited for.
constexpr int64_t usage_frame_limit = 36000;

struct track_options {
    std::string path;
    std::string track;
    int64_t frames = default_log_frames;
};

// The interpreter over the opened track; prints the error and returns nothing.
std::optional<track_interpreter> open_track(const track_options& options) {
    const std::optional<opened_file> opened = open_for_command(options.path, options.track);
    if (!opened) {
        return std::nullopt;
    }
    track_source source;
    const op_result read = read_track_source(opened->access, opened->track_start, source);
    if (read.code != result_done) {
        fail(options.path, read.problem);
        return std::nullopt;
    }
    track_interpreter driver(std::move(source));
    if (!driver.valid()) {
        fail(options.path, driver.problem());
        return std::nullopt;
    }
    return driver;
}

void print_messages(const std::string& path, track_interpreter& driver) {
    for (const std::string& message : driver.take_messages()) {
        std::cerr << "kavelo: " << path << ": note: " << message << '\n';
    }
}

int run_track_log(const track_options& options) {
    std::optional<track_interpreter> driver = open_track(options);
    if (!driver) {
        return 1;
    }
    std::cout << track_log(*driver, options.frames);
    print_messages(options.path, *driver);
    return 0;
}

std::string channel_list(const voice_use& use) {
    std::string text;
    for (int32_t channel = 0; channel < music_channel_count; ++channel) {
        if (!use.selected[channel] && use.notes[channel] == 0) {
            continue;
        }
        text += text.empty() ? "" : ", ";
        text += music_channel_name(channel);
        if (channel != drum_channel) {
            text += " " + std::to_string(use.notes[channel]) +
                    (use.notes[channel] == 1 ? " note" : " notes");
        }
        if (!use.selected[channel]) {
            text += " (loaded by another channel)";
        }
    }
    return text;
}

int run_track_voices(const track_options& options) {
    std::optional<track_interpreter> driver = open_track(options);
    if (!driver) {
        return 1;
    }
    const track_voice_usage usage = first_loop_voice_usage(*driver, usage_frame_limit);
    const double seconds = static_cast<double>(usage.frames) / 60.0;
    std::cout << (usage.looped ? "first loop: " : "no loop; played: ") << usage.frames
              << " frames (" << std::fixed << std::setprecision(1) << seconds << " s)\n";
    if (usage.voices.empty()) {
        std::cout << "no channel selects a voice\n";
    }
    for (const auto& [number, use] : usage.voices) {
        std::cout << "voice " << number << ": " << channel_list(use) << '\n';
    }
    print_messages(options.path, *driver);
    return 0;
}

} // namespace

void add_track_commands(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<track_options>();
    CLI::App* log = app.add_subcommand(
        "track-log", "Print every write the game's sound driver makes playing a track");
    log->add_option("file", options->path, "ROM image or bare track")->required();
    log->add_option("--track", options->track, "Track index 0-18 or name (ROM images)");
    log->add_option("--frames", options->frames, "Driver frames (60 a second) from the start")
        ->check(CLI::Range(int64_t{0}, int64_t{1} << 24))
        ->capture_default_str();
    log->footer("One line a write: F ym0 RR VV, F ym1 RR VV, F psg VV or F drum NN, F the "
                "driver frame (0 starts the track).\n"
                "Example: kavelo track-log demo-rom.bin --track 2 --frames 600");
    log->callback([options, &context] { context.exit_code = run_track_log(*options); });

    CLI::App* voices = app.add_subcommand(
        "track-voices", "Which channels select each voice of a track and how many notes they play");
    voices->add_option("file", options->path, "ROM image or bare track")->required();
    voices->add_option("--track", options->track, "Track index 0-18 or name (ROM images)");
    voices->footer("Counts the notes of each channel's first loop, up to its first jump back.\n"
                   "Example: kavelo track-voices demo-rom.bin --track \"Basalt Zone\"");
    voices->callback([options, &context] { context.exit_code = run_track_voices(*options); });
}

} // namespace kavelo::cli
