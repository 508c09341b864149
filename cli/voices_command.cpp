// kavelo voices FILE [--track T]: every voice of a track, of an instrument or bank file, or
// that a VGM music log keys on, in working order, decoded.

#include "cli/commands.h"
#include "cli/decoded_voice.h"
#include "cli/json_text.h"
#include "cli/opened_file.h"
#include "cli/vgm_voices_command.h"
#include "cli/voice_files.h"
#include "formats/voice_formats.h"
#include "rom/file_image.h"
#include "rom/voice_table.h"
#include "voice_editor/voice_fields.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

namespace kavelo::cli {

namespace {

struct voices_options {
    std::string path;
    std::vector<std::string> more; // further files, each printed after its name
    std::string track;
    bool json = false;
    bool merge_volume = false;
};

// The fields of one voice as JSON members, and the closing brace of its object.
void print_voice_json(const voice_record& voice) {
    std::cout << "\"hex\": \"" << voice_to_hex(voice) << "\", ";
    print_decoded_json(voice);
    std::cout << "}";
}

void print_json(const std::string& track, const voice_table& table) {
    std::cout << "{\"track\": " << json_quote(track) << ", \"voices\": [";
    for (int32_t i = 0; i < table.count; ++i) {
        std::cout << (i ? ", " : "") << "{\"index\": " << i << ", ";
        print_voice_json(table.voices[i]);
    }
    std::cout << "]}\n";
}

// An instrument or bank file, when the file is no ROM image and its content or extension
// names a format; nothing when it is to be opened as a track.
std::optional<int> run_voice_file(const voices_options& options) {
    const file_system& fs = native_file_system();
    file_image file = read_file_image(fs, options.path);
    if (file.status != read_status::ok || rom_is_compatible(fs, options.path)) {
        return std::nullopt;
    }
    const voice_format* format = recognise_voice_file(options.path, file.bytes);
    if (!format) {
        return std::nullopt;
    }
    if (!options.track.empty()) {
        return fail(options.path,
                    "an instrument or bank file has no track list; leave out --track");
    }
    const voice_file_read read = read_voice_bytes(options.path, file.bytes, &format);
    if (!read.done()) {
        return fail(options.path, read.problem);
    }
    for (const std::string& note : reading_notes(read)) {
        print_note(options.path, note);
    }
    if (options.json) {
        std::cout << "{\"format\": " << json_quote(format->id) << ", \"voices\": [";
        for (std::size_t i = 0; i < read.voices.size(); ++i) {
            std::cout << (i ? ", " : "") << "{\"index\": " << i
                      << ", \"name\": " << json_quote(read.voices[i].name) << ", ";
            print_voice_json(read.voices[i].voice);
        }
        std::cout << "]}\n";
        return 0;
    }
    std::cout << format->name << ": " << read.voices.size()
              << (read.voices.size() == 1 ? " voice\n" : " voices\n");
    for (std::size_t i = 0; i < read.voices.size(); ++i) {
        const named_voice& voice = read.voices[i];
        std::cout << "voice " << i << ": " << voice_to_hex(voice.voice)
                  << (voice.name.empty() ? "" : " ") << voice.name << '\n';
        print_decoded(voice.voice);
    }
    return 0;
}

int run_voices(const voices_options& options) {
    if (is_music_log(options.path)) {
        return run_vgm_voices(options.path, options.merge_volume, options.json);
    }
    if (std::optional<int> handled = run_voice_file(options)) {
        return *handled;
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
    command
        ->add_option("FILE", options->path,
                     "ROM image, instrument or bank file (dmp tfi vgi opni y12 eif fui wopn gyb "
                     "opm ymx syx), VGM music log (vgm vgz), or bare track")
        ->required();
    command->add_option("MORE", options->more, "further files, each after a line with its name");
    command->add_option("--track,-t", options->track,
                        "track index 0-18 or display name (ROM only)");
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->add_flag(
        "--merge-volume", options->merge_volume,
        "music log: one voice (the loudest) for records differing only in carrier TL");
    command->footer("Examples:\n  kavelo voices demo-rom.bin --track \"Basalt Zone\"\n"
                    "  kavelo voices lead.tfi\n  kavelo voices instruments/*\n"
                    "  kavelo voices song.vgz --merge-volume");
    command->callback([options, &context] {
        if (options->more.empty()) {
            context.exit_code = run_voices(*options);
            return;
        }
        // Several files: each one's output follows its name; one that fails does not stop
        // the others, and the exit code says that one failed.
        voices_options one = *options;
        std::vector<std::string> paths{options->path};
        paths.insert(paths.end(), options->more.begin(), options->more.end());
        for (const std::string& path : paths) {
            one.path = path;
            std::cout << "==> " << path << '\n';
            context.exit_code = std::max(context.exit_code, run_voices(one));
        }
    });
}

} // namespace kavelo::cli
