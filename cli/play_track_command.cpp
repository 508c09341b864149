// kavelo play-track FILE [--track T] [--seconds S | --loops N] [--voices FILE]
// -o OUT.wav|OUT.vgm: a track played as the console sounds it, to a 16-bit stereo WAV at
// 44100 Hz or to a VGM 1.60 log of the same writes.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "cli/opened_file.h"
#include "cli/voice_files.h"
#include "kavelo_version.h"
#include "track/track_player.h"
#include "track/track_vgm.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace kavelo::cli {

namespace {

constexpr int32_t most_loops = 1000;

struct play_options {
    std::string path;
    std::string track;
    double seconds = -1.0;
    int32_t loops = -1;
    std::string voices_path;
    std::string output;
};

enum class output_kind { none, wav, vgm };

output_kind kind_of(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".wav") {
        return output_kind::wav;
    }
    return extension == ".vgm" ? output_kind::vgm : output_kind::none;
}

// The track's bytes with the voices of --voices put in place; prints any error.
std::optional<track_source> read_source(const play_options& options, const opened_file& opened,
                                        std::vector<std::string>& notes) {
    track_source source;
    const op_result read = read_track_source(opened.access, opened.track_start, source);
    if (read.code != result_done) {
        fail(options.path, read.problem);
        return std::nullopt;
    }
    if (options.voices_path.empty()) {
        return source;
    }
    const std::optional<std::vector<named_voice>> named = read_voices(options.voices_path);
    if (!named) {
        return std::nullopt;
    }
    std::vector<voice_record> voices;
    for (const named_voice& voice : *named) {
        voices.push_back(voice.voice);
    }
    const int32_t put = put_track_voices(source, voices);
    const auto count = [](std::size_t n) {
        return std::to_string(n) + (n == 1 ? " voice" : " voices");
    };
    std::string note = "put " + count(static_cast<std::size_t>(put)) + " from " +
                       options.voices_path + " in place of the track's first " +
                       (put == 1 ? std::string("voice") : count(static_cast<std::size_t>(put)));
    if (voices.size() != static_cast<std::size_t>(put)) {
        note += " (the file holds " + count(voices.size()) + ")";
    }
    notes.push_back(note);
    return source;
}

std::string length_text(uint64_t frames) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(frames) / track_output_rate);
    return std::string(seconds) + " s (" + std::to_string(frames) + " frames at " +
           std::to_string(track_output_rate) + " Hz)";
}

int run_play_track(const play_options& options) {
    const std::optional<opened_file> opened = open_for_command(options.path, options.track);
    if (!opened) {
        return 1;
    }
    std::vector<std::string> notes;
    std::optional<track_source> source = read_source(options, *opened, notes);
    if (!source) {
        return 1;
    }
    const play_limit limit{options.seconds, options.loops};
    std::vector<uint8_t> bytes;
    uint64_t frames = 0;
    std::vector<std::string> messages;
    if (kind_of(options.output) == output_kind::wav) {
        track_player player(std::move(*source));
        if (!player.valid()) {
            return fail(options.path, player.problem());
        }
        const std::vector<int16_t> samples = render_track(player, limit);
        frames = samples.size() / 2;
        messages = player.take_messages();
        bytes = make_wav(samples, track_output_rate);
    } else {
        const std::string title = opened->access.mode == file_mode::rom_image
                                      ? opened->track_label
                                      : std::filesystem::path(options.path).stem().string();
        track_vgm vgm = make_track_vgm(
            std::move(*source), limit,
            {title, "", "Mega Drive", "kavelo " KAVELO_VERSION_TEXT, "kavelo play-track"});
        if (!vgm.done()) {
            return fail(options.path, vgm.problem);
        }
        frames = vgm.frames;
        messages = std::move(vgm.messages);
        bytes = std::move(vgm.bytes);
    }
    if (write_output_file(options.output, bytes) != 0) {
        return 1;
    }
    messages.insert(messages.end(), notes.begin(), notes.end());
    messages.push_back("wrote " + length_text(frames) + " to " + options.output);
    for (const std::string& message : messages) {
        print_note(options.path, message);
    }
    return 0;
}

} // namespace

void add_play_track_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<play_options>();
    CLI::App* command = app.add_subcommand(
        "play-track", "Play a track as the console sounds it (FM, PSG and drums) to a WAV, or "
                      "log its writes as a VGM file");
    command->add_option("file", options->path, "ROM image or bare track")->required();
    command->add_option("--track", options->track, "Track index 0-18 or name (ROM images)");
    CLI::Option* seconds = command->add_option("--seconds", options->seconds, "Play this long")
                               ->check(CLI::Range(0.0, longest_unlimited_play));
    CLI::Option* loops =
        command->add_option("--loops", options->loops, "Play this many loops, then the release")
            ->check(CLI::Range(1, most_loops));
    seconds->excludes(loops);
    loops->excludes(seconds);
    command->add_option("--voices", options->voices_path,
                        "Instrument or bank file whose voices replace the track's, in order");
    const CLI::Validator wav_or_vgm(
        [](std::string& path) {
            return kind_of(path) == output_kind::none
                       ? std::string("the output is a .wav (16-bit stereo 44100 Hz) or a .vgm "
                                     "(VGM 1.60 log) file")
                       : std::string();
        },
        "OUT.wav|OUT.vgm");
    command->add_option("-o,--output", options->output, "The WAV or VGM file to write")
        ->required()
        ->check(wav_or_vgm);
    command->footer(
        "Without --seconds or --loops the track plays to its end or its first loop, then "
        "one second of release.\n"
        "Examples: kavelo play-track demo-rom.bin --track 2 -o basalt.wav\n"
        "          kavelo play-track demo-rom.bin --track 2 --loops 2 -o basalt.vgm\n"
        "          kavelo play-track track.bin --seconds 30 --voices lead.gyb -o try.wav");
    command->callback([options, &context] { context.exit_code = run_play_track(*options); });
}

} // namespace kavelo::cli
