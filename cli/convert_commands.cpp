// kavelo convert IN... -o OUT [--entry I] and kavelo export-voice FILE --track T --voice V
// -o OUT: voices between instrument and bank files, and out of a ROM or track, in any
// format that is written. The format of OUT comes from its extension.

#include "cli/commands.h"
#include "cli/opened_file.h"
#include "cli/voice_files.h"
#include "formats/voice_formats.h"
#include "rom/voice_table.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

struct convert_options {
    std::vector<std::string> inputs;
    std::string output;
    int entry = -1;
    std::string track;
    int voice = -1;
};

int run_convert(const convert_options& options) {
    std::vector<named_voice> voices;
    for (const std::string& input : options.inputs) {
        auto read = read_voices(input);
        if (!read) {
            return 1;
        }
        voices.insert(voices.end(), read->begin(), read->end());
    }
    const voice_format* format = voice_format_by_extension(options.output);
    if (!format || !format->write) {
        return fail(options.output, "its extension names no writable format (dmp, tfi, vgi, "
                                    "opni, y12, eif, wopn, gyb, opm or ymx)");
    }
    if (options.entry >= 0) {
        if (options.entry >= static_cast<int>(voices.size())) {
            return fail(options.inputs.front(),
                        "there is no entry " + std::to_string(options.entry) +
                            " (the input holds " + std::to_string(voices.size()) + ")");
        }
        voices = {voices[static_cast<std::size_t>(options.entry)]};
    }
    if (format->kind == voice_file_kind::single_voice && voices.size() != 1) {
        return fail(options.output, "a " + std::string(format->name) +
                                        " file holds one voice and the input holds " +
                                        std::to_string(voices.size()) +
                                        "; choose one with --entry I");
    }
    return write_voices(options.output, voices);
}

int run_export_voice(const convert_options& options) {
    std::optional<opened_file> opened = open_for_command(options.inputs.front(), options.track);
    if (!opened) {
        return 1;
    }
    voice_table table;
    const op_result loaded = load_track_voices(opened->access, opened->track_start, table);
    if (loaded.code != result_done) {
        return fail(options.inputs.front(), loaded.problem);
    }
    if (options.voice >= table.count) {
        return fail(options.inputs.front(), opened->track_label + " has no voice " +
                                                std::to_string(options.voice) + " (it holds " +
                                                std::to_string(table.count) + ")");
    }
    return write_voices(options.output, {{table.voices[static_cast<std::size_t>(options.voice)],
                                          "Voice " + std::to_string(options.voice)}});
}

} // namespace

void add_convert_commands(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<convert_options>();
    CLI::App* convert = app.add_subcommand(
        "convert", "Write every voice of the input files into one instrument or bank file");
    convert->add_option("IN", options->inputs, "instrument or bank files")->required();
    convert
        ->add_option("-o,--output", options->output, "file to write; its extension is its format")
        ->required();
    convert->add_option("--entry", options->entry, "take only voice I of the inputs (from 0)")
        ->check(CLI::NonNegativeNumber);
    convert->footer("Examples:\n  kavelo convert lead.tfi -o lead.dmp\n"
                    "  kavelo convert a.dmp b.y12 bank.wopn -o all.gyb\n"
                    "  kavelo convert bank.wopn --entry 4 -o piano.opni");
    convert->callback([options, &context] { context.exit_code = run_convert(*options); });

    auto exported = std::make_shared<convert_options>();
    CLI::App* voice = app.add_subcommand(
        "export-voice", "Write one voice of a ROM image or track to an instrument or bank file");
    voice->add_option("FILE", exported->inputs, "ROM image or bare track")->required()->expected(1);
    voice->add_option("--track,-t", exported->track, "track index 0-18 or display name (ROM only)");
    voice->add_option("--voice,-k", exported->voice, "voice slot in the track")
        ->required()
        ->check(CLI::NonNegativeNumber);
    voice->add_option("-o,--output", exported->output, "file to write; its extension is its format")
        ->required();
    voice->footer("Example: kavelo export-voice demo-rom.bin --track 2 --voice 0 -o lead.tfi");
    voice->callback([exported, &context] { context.exit_code = run_export_voice(*exported); });
}

} // namespace kavelo::cli
