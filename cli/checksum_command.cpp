// kavelo checksum: the cartridge header checksum, stored at 0x18E.

#include "cli/commands.h"
#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

int run_checksum(const std::string& path, bool fix) {
    const file_image file = read_file_image(native_file_system(), path);
    if (file.status != read_status::ok) {
        return fail(path, describe_read_failure(file.status, path));
    }
    const std::optional<checksum_words> words = read_checksum(file.bytes);
    if (!words) {
        return fail(path, "the file (" + std::to_string(file.bytes.size()) +
                              " bytes) is too short for a cartridge header");
    }
    std::cout << "stored:   " << checksum_hex(words->stored)
              << "\ncomputed: " << checksum_hex(words->computed) << '\n';
    if (!fix || words->matches()) {
        return 0;
    }
    // The same rewrite as the editor's Fix Checksum; its log lines are the editor's, not ours.
    const op_result fixed = fix_checksum({native_file_system(), path, file_mode::rom_image, {}});
    if (fixed.code != result_done) {
        return fail(path, fixed.problem.empty() ? "the file could not be rewritten; it is unchanged"
                                                : fixed.problem);
    }
    std::cout << "fixed: wrote " << checksum_hex(words->computed) << " at 0x18E\n";
    return 0;
}

} // namespace

void add_checksum_command(CLI::App& app, cli_context& context) {
    auto path = std::make_shared<std::string>();
    auto fix = std::make_shared<bool>(false);
    CLI::App* command = app.add_subcommand(
        "checksum", "Print the stored and computed cartridge checksum (word sum from 0x200)");
    command->add_option("FILE", *path, "ROM image")->required();
    command->add_flag("--fix", *fix, "write the computed checksum at 0x18E");
    command->footer("Example: kavelo checksum demo-rom.bin --fix");
    command->callback([path, fix, &context] { context.exit_code = run_checksum(*path, *fix); });
}

} // namespace kavelo::cli
