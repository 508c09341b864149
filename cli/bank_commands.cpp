// kavelo bank list/export/from-sysex/add/remove: voice banks from the command line in
// every bank format (.ymx, .wopn, .gyb, .opm; .syx read only), read and written by the
// same code as the editor's. A bank's format comes from its content, then its extension.

#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/opened_file.h"
#include "cli/vgm_voices_command.h"
#include "cli/voice_files.h"
#include "cli/voice_sources.h"
#include "formats/tx81z.h"
#include "formats/voice_formats.h"
#include "formats/ymx_bank.h"
#include "rom/voice_table.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

namespace kavelo::cli {

namespace {

struct bank_options {
    std::string bank;
    std::string source;
    std::string track;
    std::string output;
    std::string voice;
    std::string name;
    int index = -1;
    bool json = false;
};

std::optional<std::vector<named_voice>> read_bank(const std::string& path) {
    return read_voices(path);
}

// A bank whose extension names no format is a .ymx bank, as it always was.
int write_bank(const std::string& path, const std::vector<named_voice>& entries) {
    return write_voices(path, entries, "ymx");
}

int run_list(const bank_options& options) {
    const auto entries = read_bank(options.bank);
    if (!entries) {
        return 1;
    }
    if (options.json) {
        std::cout << "[";
        for (std::size_t i = 0; i < entries->size(); ++i) {
            std::cout << (i ? ", " : "") << "{\"index\": " << i
                      << ", \"name\": " << json_quote((*entries)[i].name) << ", \"hex\": \""
                      << voice_to_hex((*entries)[i].voice) << "\"}";
        }
        std::cout << "]\n";
        return 0;
    }
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const std::string& name = (*entries)[i].name;
        const std::size_t pad = name.size() < bank_name_length ? bank_name_length - name.size() : 0;
        std::cout << i << '\t' << name << std::string(pad + 1, ' ')
                  << voice_to_hex((*entries)[i].voice) << '\n';
    }
    return 0;
}

int run_export(const bank_options& options) {
    std::optional<opened_file> opened = open_for_command(options.source, options.track);
    if (!opened) {
        return 1;
    }
    voice_table table;
    const op_result loaded = load_track_voices(opened->access, opened->track_start, table);
    if (loaded.code != result_done) {
        return fail(options.source, loaded.problem);
    }
    std::vector<named_voice> entries;
    for (int32_t i = 0; i < table.count; ++i) {
        entries.push_back({table.voices[i], "Voice " + std::to_string(i)});
    }
    return write_bank(options.output, entries);
}

int run_from_sysex(const bank_options& options) {
    tx81z_store store;
    const tx81z_import_result dump = tx81z_import_file(native_file_system(), options.source, store);
    if (!dump.done()) {
        return fail(options.source, dump.problem);
    }
    std::vector<named_voice> entries;
    for (int32_t i = 0; i < store.voice_count; ++i) {
        entries.push_back({tx81z_voice_to_record(store, i), tx81z_voice_name(store, i)});
    }
    return write_bank(options.output, entries);
}

int run_add(const bank_options& options) {
    const std::optional<voice_record> voice = voice_from_argument(options.voice);
    if (!voice) {
        return 1;
    }
    const voice_format* format = voice_format_by_extension(options.bank);
    if (format && format->id == "ymx" && options.name.size() > bank_name_length) {
        return fail(options.bank,
                    "a voice name has at most 10 characters: \"" + options.name + "\"");
    }
    std::vector<named_voice> entries;
    if (std::filesystem::exists(options.bank)) {
        auto existing = read_bank(options.bank);
        if (!existing) {
            return 1;
        }
        entries = std::move(*existing);
    }
    if (format && format->id == "ymx" &&
        entries.size() >= static_cast<std::size_t>(bank_max_entries)) {
        return fail(options.bank, "the bank already holds 128 voices, as many as a bank file can");
    }
    entries.push_back({*voice, options.name});
    return write_bank(options.bank, entries);
}

int run_remove(const bank_options& options) {
    auto entries = read_bank(options.bank);
    if (!entries) {
        return 1;
    }
    if (options.index < 0 || options.index >= static_cast<int>(entries->size())) {
        return fail(options.bank, "the bank has no entry " + std::to_string(options.index) +
                                      " (it holds " + std::to_string(entries->size()) + ")");
    }
    entries->erase(entries->begin() + options.index);
    return write_bank(options.bank, *entries);
}

} // namespace

void add_bank_commands(CLI::App& app, cli_context& context) {
    CLI::App* bank = app.add_subcommand(
        "bank", "Read and write voice banks (.ymx, .wopn, .gyb, .opm; .syx read only)");
    bank->require_subcommand(1);
    bank->footer(
        "Example: kavelo bank list leads.ymx (kavelo bank COMMAND --help for each command)");
    auto options = std::make_shared<bank_options>();

    CLI::App* list = bank->add_subcommand("list", "Print each entry: index, name, voice hex");
    list->add_option("BANK", options->bank, "bank (or instrument) file of any format")->required();
    list->add_flag("--json", options->json, "print JSON instead of text");
    list->footer("Example: kavelo bank list leads.ymx");
    list->callback([options, &context] { context.exit_code = run_list(*options); });

    CLI::App* exported = bank->add_subcommand(
        "export", "Write all voices of a track to a bank, named \"Voice 0\", \"Voice 1\", ...");
    exported->add_option("FILE", options->source, "ROM image or bare track")->required();
    exported->add_option("--track,-t", options->track,
                         "track index 0-18 or display name (ROM only)");
    exported
        ->add_option("-o,--output", options->output,
                     "bank file to write; its extension is its format")
        ->required();
    exported->footer("Example: kavelo bank export demo-rom.bin --track 2 -o basalt.ymx");
    exported->callback([options, &context] { context.exit_code = run_export(*options); });

    CLI::App* sysex = bank->add_subcommand(
        "from-sysex", "Write every voice of a TX81Z dump to a bank under its TX81Z name");
    sysex->add_option("DUMP", options->source, "TX81Z .syx dump")->required();
    sysex
        ->add_option("-o,--output", options->output,
                     "bank file to write; its extension is its format")
        ->required();
    sysex->footer("Example: kavelo bank from-sysex factory.syx -o factory.ymx");
    sysex->callback([options, &context] { context.exit_code = run_from_sysex(*options); });

    CLI::App* add = bank->add_subcommand("add", "Append a voice to a bank (made if missing)");
    add->add_option("BANK", options->bank, "bank file of any written format")->required();
    add->add_option("VOICE", options->voice, "50 hex digits in working order")->required();
    add->add_option("--name,-n", options->name, "entry name (at most 10 characters in a .ymx)")
        ->required();
    add->footer("Example: kavelo bank add leads.ymx 3a7102...(50 hex digits) --name \"Warm Lead\"");
    add->callback([options, &context] { context.exit_code = run_add(*options); });

    CLI::App* remove = bank->add_subcommand("remove", "Remove entry I from a bank");
    remove->add_option("BANK", options->bank, "bank file of any written format")->required();
    remove->add_option("I", options->index, "entry index, from 0")->required();
    remove->footer("Example: kavelo bank remove leads.ymx 2");
    remove->callback([options, &context] { context.exit_code = run_remove(*options); });

    add_bank_from_vgm_command(*bank, context);
}

} // namespace kavelo::cli
