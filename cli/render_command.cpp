// kavelo render: one note of one voice through the preview's chip sequence.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "cli/opened_file.h"
#include "fm/fm_script.h"
#include "fm/preview_render.h"
#include "fm/widened_samples.h"
#include "keyboard/live_synth.h"
#include "keyboard/note_pitch.h"
#include "rom/voice_table.h"

#include <CLI/CLI.hpp>
#include <cmath>

namespace kavelo::cli {

namespace {

struct render_options {
    std::string voice_hex;
    std::string from;
    std::string track;
    int32_t voice_index = -1;
    std::string note = "1";
    uint32_t frames = preview_frames;
    double seconds = -1.0; // --seconds, instead of --frames
    double hold = -1.0;    // --hold: key-off after this long; never by default
    audio_destination destination;
};

// The note to play: an index of the preview's table (0-7) or a name such as A#3.
struct chosen_note {
    int32_t index = -1; // of the preview's table, or -1 for a named note
    int32_t note = 0;   // MIDI numbering
    fm_pitch pitch;
};

std::optional<chosen_note> parse_note(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + preview_note_count) {
        const int32_t index = text[0] - '0';
        const preview_note& entry = preview_note_table[static_cast<std::size_t>(index)];
        const fm_pitch pitch{
            static_cast<uint8_t>(entry.block_fnum_high >> 3),
            static_cast<uint16_t>(((entry.block_fnum_high & 7) << 8) | entry.fnum_low)};
        return chosen_note{index, 35 + index, pitch}; // the table runs from B1
    }
    const std::optional<int32_t> note = parse_note_name(text);
    if (!note) {
        fail(text, "a note is 0-7 (the preview's table) or a name such as C4, A#3 or Db5");
        return std::nullopt;
    }
    const std::optional<fm_pitch> pitch = note_pitch(*note);
    if (!pitch) {
        fail(text, "the chip plays notes up to G#8");
        return std::nullopt;
    }
    return chosen_note{-1, *note, *pitch};
}

// Keyed on like the Keyboard plays it, keyed off after `hold` frames.
std::vector<int8_t> render_held(const voice_record& voice, const chosen_note& note, uint32_t hold,
                                uint32_t frames) {
    live_synth synth;
    synth.set_voice(voice);
    synth.note_on(note.note, note.pitch);
    std::vector<int16_t> wide(2 * std::size_t{frames});
    const uint32_t held = std::min(hold, frames);
    synth.render(wide, held);
    synth.note_off(note.note);
    synth.render(std::span<int16_t>(wide).subspan(2 * std::size_t{held}), frames - held);
    std::vector<int8_t> interleaved(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        interleaved[i] = static_cast<int8_t>(wide[i] / 256);
    }
    return interleaved;
}

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
    const std::optional<chosen_note> note = parse_note(options.note);
    if (!note) {
        return 1;
    }
    const uint32_t frames = options.seconds >= 0.0
                                ? static_cast<uint32_t>(std::lround(options.seconds * preview_rate))
                                : options.frames;
    const std::optional<voice_record> voice = chosen_voice(options);
    if (!voice) {
        return 1;
    }
    if (note->index < 0 || options.hold >= 0.0) {
        const uint32_t hold = options.hold >= 0.0
                                  ? static_cast<uint32_t>(std::lround(options.hold * preview_rate))
                                  : frames;
        return write_audio(options.destination, render_held(*voice, *note, hold, frames),
                           preview_rate);
    }
    // A table note held throughout: exactly the preview's render.
    std::vector<int8_t> left(frames), right(frames);
    if (preview_render(*voice, note->index, frames, left, right) != preview_done) {
        return fail("render", "the chip could not be created");
    }
    std::vector<int8_t> interleaved(2 * std::size_t{frames});
    interleave(left, right, interleaved);
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
    command->add_option("--note", options->note,
                        "note 0-7 of the preview's note table (default 1), or a name in "
                        "scientific pitch (C4 middle C, A4 440 Hz; A#3, Db5)");
    CLI::Option* frames =
        command->add_option("--frames", options->frames, "frames to render (default 131072)")
            ->check(CLI::Range(uint32_t{0}, static_cast<uint32_t>(fm_script_max_frames)));
    constexpr double max_seconds = double{fm_script_max_frames} / preview_rate;
    CLI::Option* seconds =
        command->add_option("--seconds", options->seconds, "seconds to render, instead of --frames")
            ->check(CLI::Range(0.0, max_seconds));
    frames->excludes(seconds);
    command
        ->add_option("--hold", options->hold,
                     "key the note off after this many seconds (default: held to the end); "
                     "a named note is keyed on as the Keyboard window plays it")
        ->check(CLI::Range(0.0, max_seconds));
    add_audio_destination(*command, options->destination);
    command->footer("Examples: kavelo render 07010101011f1f1f1f00000000000000000f0f0f0f7f7f7f00"
                    " --raw note.raw\n"
                    "          kavelo render --from demo-rom.bin --track 2 --voice 0 -o note.wav\n"
                    "          kavelo render --from demo-rom.bin --track 2 --voice 0 --note A#3 "
                    "--hold 0.5 --seconds 2 -o note.wav");
    command->callback([options, &context] {
        if (options->voice_hex.empty() && options->from.empty()) {
            throw CLI::RequiredError("VOICE or --from FILE --voice K");
        }
        context.exit_code = run_render(*options);
    });
}

} // namespace kavelo::cli
