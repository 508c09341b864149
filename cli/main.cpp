#include "cli/commands.h"
#include "kavelo_version.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

int fail(std::string_view file, std::string_view problem) {
    std::cerr << program_name << ": " << file << ": " << problem << '\n';
    return 1;
}

namespace {

// The commands' examples are written for "kavelo"; they show the name this build has.
std::string with_program_name(std::string text) {
    constexpr std::string_view written = "kavelo ";
    const std::string name = std::string(program_name) + ' ';
    for (std::size_t at = text.find(written); at != std::string::npos;
         at = text.find(written, at + name.size())) {
        text.replace(at, written.size(), name);
    }
    return text;
}

void name_examples(CLI::App& command) {
    command.footer(with_program_name(command.get_footer()));
    for (CLI::App* sub : command.get_subcommands([](CLI::App*) { return true; })) {
        name_examples(*sub);
    }
}

} // namespace

} // namespace kavelo::cli

int main(int argc, char** argv) {
    using namespace kavelo::cli;
    const std::string name(program_name);
    CLI::App app{name + ": inspect and edit the FM voices and track headers of a Brisco ROM "
                        "image or a bare music track"};
    app.set_version_flag("--version", name + " " KAVELO_VERSION_TEXT);
    app.require_subcommand(1);
    app.footer(
        "Run kavelo COMMAND --help for a command's options and an example.\n"
        "Example session:\n"
        "  kavelo demo-rom -o demo-rom.bin\n"
        "  kavelo voices demo-rom.bin --track 2\n"
        "  kavelo bank export demo-rom.bin --track 2 -o basalt.ymx\n"
        "  kavelo set-voice demo-rom.bin --track 9 --voice 0 --from-bank basalt.ymx --entry 3\n"
        "  kavelo render --from demo-rom.bin --track 9 --voice 0 -o voice.wav\n"
        "Exit codes: 0 success, 1 error (nothing written), 2 usage.");
    cli_context context;
    add_info_command(app, context);
    add_voices_command(app, context);
    add_demo_commands(app, context);
    add_render_command(app, context);
    add_vgm_command(app, context);
    add_fm_script_command(app, context);
    add_set_voice_command(app, context);
    add_header_commands(app, context);
    add_bank_commands(app, context);
    add_checksum_command(app, context);
    add_convert_commands(app, context);
    add_track_commands(app, context);
    add_play_track_command(app, context);
    name_examples(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help exits 0; every other parse problem is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }
    return context.exit_code;
}
