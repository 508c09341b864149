#pragma once
// Each kavelo command registers itself on the application; its callback stores the
// process exit code (0 success, 1 error) in the shared context.

#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace kavelo::cli {

// The command's name as installed: kavelo, or kavelo-cli on Windows.
inline constexpr std::string_view program_name = KAVELO_CLI_NAME;

struct cli_context {
    int exit_code = 0;
};

// Prints "kavelo: FILE: problem" (the program's name first) on standard error and returns 1, the
// error exit code.
int fail(std::string_view file, std::string_view problem);

void add_info_command(CLI::App& app, cli_context& context);
void add_voices_command(CLI::App& app, cli_context& context);
void add_demo_commands(CLI::App& app, cli_context& context);
void add_render_command(CLI::App& app, cli_context& context);
void add_vgm_command(CLI::App& app, cli_context& context);
void add_fm_script_command(CLI::App& app, cli_context& context);
void add_set_voice_command(CLI::App& app, cli_context& context);
void add_header_commands(CLI::App& app, cli_context& context);
void add_bank_commands(CLI::App& app, cli_context& context);
void add_checksum_command(CLI::App& app, cli_context& context);
void add_convert_commands(CLI::App& app, cli_context& context);
void add_track_commands(CLI::App& app, cli_context& context);
void add_play_track_command(CLI::App& app, cli_context& context);

} // namespace kavelo::cli
