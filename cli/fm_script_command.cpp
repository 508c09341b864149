// kavelo fm-script SCRIPT (--raw OUT | -o OUT.wav): replays a register log on the FM core.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "fm/fm_script.h"

#include <CLI/CLI.hpp>

namespace kavelo::cli {

namespace {

constexpr std::size_t max_script_size = std::size_t{64} << 20;

struct fm_script_options {
    std::string path;
    audio_destination destination;
};

int run_fm_script_command(const fm_script_options& options) {
    std::vector<uint8_t> bytes;
    if (!read_input(options.path, max_script_size, bytes)) {
        return 1;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    fm_script_output output;
    if (const fm_script_result error = run_fm_script(text, output); !error.done()) {
        return fail(options.path, "line " + std::to_string(error.line) + ": " + error.problem);
    }
    const uint32_t rate = output.rate > 0 ? static_cast<uint32_t>(output.rate) : 44100;
    return write_audio(options.destination, output.samples, rate);
}

} // namespace

void add_fm_script_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<fm_script_options>();
    CLI::App* command = app.add_subcommand(
        "fm-script", "Replay a register log on the FM core (init COUNT CLOCK RATE, reset CHIP, "
                     "write CHIP PORT VALUE, update CHIP FRAMES, shutdown; '#' comments)");
    command->add_option("SCRIPT", options->path, "register log, one call a line")->required();
    add_audio_destination(*command, options->destination);
    command->footer("Each update appends its frames. The WAV rate is the rate of the first init.\n"
                    "Example: kavelo fm-script notes.txt --raw notes.raw");
    command->callback([options, &context] { context.exit_code = run_fm_script_command(*options); });
}

} // namespace kavelo::cli
