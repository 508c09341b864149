// kavelo set-voice: writes one voice into a track exactly as the editor's "Save to ROM".

#include "cli/commands.h"
#include "cli/opened_file.h"
#include "cli/voice_sources.h"
#include "rom/voice_commit.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

struct set_voice_options {
    std::string path;
    std::string track;
    int voice = -1;
    std::string hex;
    std::string bank;
    std::string sysex;
    std::string file;
    int entry = -1;
};

std::optional<voice_record> chosen_voice(const set_voice_options& options) {
    if (!options.bank.empty()) {
        return voice_from_bank(options.bank, options.entry);
    }
    if (!options.sysex.empty()) {
        return voice_from_sysex(options.sysex, options.entry);
    }
    if (!options.file.empty()) {
        return voice_from_file(options.file, options.entry);
    }
    return voice_from_argument(options.hex);
}

int run_set_voice(const set_voice_options& options) {
    const std::optional<voice_record> voice = chosen_voice(options);
    if (!voice) {
        return 1;
    }
    std::optional<opened_file> opened = open_for_command(options.path, options.track);
    if (!opened) {
        return 1;
    }
    voice_table table;
    const op_result loaded = load_track_voices(opened->access, opened->track_start, table);
    if (loaded.code != result_done) {
        return fail(options.path, loaded.problem);
    }
    const op_result committed =
        commit_voice(opened->access, opened->track_start, table, options.voice, *voice);
    switch (committed.code) {
    case result_done:
        std::cout << opened->track_label << ", voice " << options.voice << ": "
                  << voice_to_hex(*voice) << '\n';
        return 0;
    case result_write_failed:
        return fail(options.path, "the file could not be rewritten; it is unchanged");
    default:
        return fail(options.path, committed.problem);
    }
}

} // namespace

void add_set_voice_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<set_voice_options>();
    CLI::App* command = app.add_subcommand(
        "set-voice", "Write one voice into a track, as the editor's \"Save to ROM\" does");
    command->add_option("FILE", options->path, "ROM image or bare track")->required();
    command->add_option("VOICE", options->hex, "50 hex digits in working order");
    command->add_option("--track,-t", options->track,
                        "track index 0-18 or display name (ROM only)");
    command->add_option("--voice,-k", options->voice, "voice slot in the track")
        ->required()
        ->check(CLI::NonNegativeNumber);
    auto* bank =
        command->add_option("--from-bank", options->bank, "take the voice from a .ymx bank");
    auto* sysex =
        command->add_option("--from-sysex", options->sysex, "take the voice from a TX81Z dump");
    auto* entry =
        command->add_option("--entry", options->entry, "entry of the bank or dump (from 0)");
    auto* from = command->add_option("--from", options->file,
                                     "take the voice from any instrument or bank file");
    bank->excludes(sysex);
    from->excludes(bank);
    from->excludes(sysex);
    bank->needs(entry);
    sysex->needs(entry);
    command->footer("Examples:\n"
                    "  kavelo set-voice demo-rom.bin --track 2 --voice 0 "
                    "3a7102130...(50 hex digits)\n"
                    "  kavelo set-voice demo-rom.bin --track \"Title Screen\" --voice 0 "
                    "--from-bank leads.ymx --entry 3\n"
                    "  kavelo set-voice demo-rom.bin --track 2 --voice 1 --from lead.tfi");
    command->callback([options, &context] {
        const bool from_file =
            !options->bank.empty() || !options->sysex.empty() || !options->file.empty();
        if (from_file == !options->hex.empty()) {
            throw CLI::ValidationError(
                "give either VOICE, --from FILE or --from-bank/--from-sysex with --entry");
        }
        context.exit_code = run_set_voice(*options);
    });
}

} // namespace kavelo::cli
