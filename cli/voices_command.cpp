// kavelo voices FILE [--track T]: every voice of a track in working order, decoded. A VGM
// music log (.vgm/.vgz) lists the voices its music keys on instead.

#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/opened_file.h"
#include "cli/vgm_voices_command.h"
#include "rom/voice_table.h"
#include "voice_editor/voice_fields.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

struct voices_options {
    std::string path;
    std::string track;
    bool json = false;
    bool merge_volume = false;
};

void print_json(const std::string& track, const voice_table& table) {
    const auto controls = voice_field_controls();
    std::cout << "{\"track\": " << json_quote(track) << ", \"voices\": [";
    for (int32_t i = 0; i < table.count; ++i) {
        const voice_record& voice = table.voices[i];
        std::cout << (i ? ", " : "") << "{\"index\": " << i << ", \"hex\": \""
                  << voice_to_hex(voice) << "\", \"alg\": " << int(field_value(voice, controls[0]))
                  << ", \"fbl\": " << int(field_value(voice, controls[1])) << ", \"operators\": [";
        for (std::size_t op = 0; op < 4; ++op) {
            std::cout << (op ? ", " : "") << "{";
            for (std::size_t f = 0; f < 10; ++f) {
                const field_control& control = controls[2 + 10 * op + f];
                std::string name(control.field->label);
                if (name.back() == ':') {
                    name.pop_back();
                }
                // Values are the fields as stored; the release list shows 2k + 1 for them.
                std::cout << (f ? ", " : "") << json_quote(name) << ": "
                          << int(field_value(voice, control));
            }
            std::cout << "}";
        }
        std::cout << "]}";
    }
    std::cout << "]}\n";
}

void print_decoded(const voice_record& voice) {
    const auto controls = voice_field_controls();
    std::cout << "    ALG " << int(field_value(voice, controls[0])) << "  FBL "
              << int(field_value(voice, controls[1])) << '\n';
    for (std::size_t op = 1; op <= 4; ++op) {
        std::cout << "    OP" << op << ' ';
        for (std::size_t i = 2 + 10 * (op - 1); i < 12 + 10 * (op - 1); ++i) {
            const field_control& control = controls[i];
            std::string label(control.field->label);
            if (label.back() == ':') {
                label.pop_back();
            }
            std::cout << ' ' << label << ' '
                      << field_entry_text(*control.field, field_value(voice, control));
        }
        std::cout << '\n';
    }
}

int run_voices(const voices_options& options) {
    if (is_music_log(options.path)) {
        return run_vgm_voices(options.path, options.merge_volume, options.json);
    }
    std::optional<opened_file> opened = open_for_command(options.path, options.track);
    if (!opened) {
        return 1;
    }
    voice_table table;
    op_result loaded = load_track_voices(opened->access, opened->track_start, table);
    if (loaded.code != result_done) {
        return fail(options.path, loaded.problem);
    }
    if (options.json) {
        print_json(opened->track_label, table);
        return 0;
    }
    std::cout << opened->track_label << ": " << table.count << " voices\n";
    for (int32_t i = 0; i < table.count; ++i) {
        std::cout << "voice " << i << ": " << voice_to_hex(table.voices[i]) << '\n';
        print_decoded(table.voices[i]);
    }
    return 0;
}

} // namespace

void add_voices_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<voices_options>();
    CLI::App* command = app.add_subcommand(
        "voices", "Print each voice of a track as 50 hex digits (working order) and its fields");
    command->add_option("FILE", options->path, "ROM image, bare track, or VGM music log")
        ->required();
    command->add_option("--track,-t", options->track,
                        "track index 0-18 or display name (ROM only)");
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->add_flag(
        "--merge-volume", options->merge_volume,
        "music log: one voice (the loudest) for records differing only in carrier TL");
    command->footer("Example: kavelo voices demo-rom.bin --track \"Basalt Zone\"\n"
                    "         kavelo voices song.vgz --merge-volume");
    command->callback([options, &context] { context.exit_code = run_voices(*options); });
}

} // namespace kavelo::cli
