// kavelo render: one note of one voice through the preview's chip sequence.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "cli/opened_file.h"
#include "fm/fm_script.h"
#include "fm/preview_render.h"
#include "rom/voice_table.h"

#include <CLI/CLI.hpp>

namespace kavelo::cli {

namespace {

struct render_options {
    std::string voice_hex;
    std::string from;
    std::string track;
    int32_t voice_index = -1;
    int32_t note = 1;
    uint32_t frames = preview_frames;
    audio_destination destination;
};

// The voice from the command line or from a track's voice table; prints any error.
std::optional<voice_record> chosen_voice(const render_options& options) {
    if (options.from.empty()) {
        std::optional<voice_record> voice = voice_from_hex(options.voice_hex);
        if (!voice) {
            fail(options.voice_hex, "a voice is 50 hex digits (a Voice record in working order)");
        }
        return voice;
    }
    std::optional<opened_file> opened = open_for_command(options.from, options.track);
    if (!opened) {
        return std::nullopt;
    }
    voice_table table;
    op_result loaded = load_track_voices(opened->access, opened->track_start, table);
    if (loaded.code != result_done) {
        fail(options.from, loaded.problem.empty() ? "cannot read the voice table" : loaded.problem);
        return std::nullopt;
    }
    if (options.voice_index >= table.count) {
        fail(options.from, opened->track_label + " has " + std::to_string(table.count) +
                               " voices; there is no voice " + std::to_string(options.voice_index));
        return std::nullopt;
    }
    return table.voices[options.voice_index];
}

int run_render(const render_options& options) {
    const std::optional<voice_record> voice = chosen_voice(options);
    if (!voice) {
        return 1;
    }
    std::vector<int8_t> left(options.frames), right(options.frames);
    if (preview_render(*voice, options.note, options.frames, left, right) != preview_done) {
        return fail("render", "the chip could not be created");
    }
    std::vector<int8_t> interleaved(2 * std::size_t{options.frames});
    for (std::size_t i = 0; i < options.frames; ++i) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    return write_audio(options.destination, interleaved, preview_rate);
}

} // namespace

void add_render_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<render_options>();
    CLI::App* command = app.add_subcommand(
        "render", "Render one note of a voice the way the editor's Preview does (channel 1, "
                  "7670442 Hz clock, 44100 Hz)");
    CLI::Option* hex = command->add_option("VOICE", options->voice_hex,
                                           "50 hex digits: a Voice record in working order");
    CLI::Option* from =
        command->add_option("--from", options->from, "take the voice from this ROM or bare track");
    CLI::Option* track = command->add_option("--track,-t", options->track,
                                             "track index 0-18 or display name (with --from)");
    CLI::Option* index = command
                             ->add_option("--voice", options->voice_index,
                                          "voice index in the track's table (with --from)")
                             ->check(CLI::NonNegativeNumber);
    hex->excludes(from);
    from->excludes(hex);
    track->needs(from);
    index->needs(from);
    from->needs(index);
    command->add_option("--note", options->note, "note 0-7 of the preview's note table (default 1)")
        ->check(CLI::Range(0, preview_note_count - 1));
    command->add_option("--frames", options->frames, "frames to render (default 131072)")
        ->check(CLI::Range(uint32_t{0}, static_cast<uint32_t>(fm_script_max_frames)));
    add_audio_destination(*command, options->destination);
    command->footer("Examples: kavelo render 07010101011f1f1f1f00000000000000000f0f0f0f7f7f7f00"
                    " --raw note.raw\n"
                    "          kavelo render --from demo-rom.bin --track 2 --voice 0 -o note.wav");
    command->callback([options, &context] {
        if (options->voice_hex.empty() && options->from.empty()) {
            throw CLI::RequiredError("VOICE or --from FILE --voice K");
        }
        context.exit_code = run_render(*options);
    });
}

} // namespace kavelo::cli
