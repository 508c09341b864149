// kavelo checksum: the cartridge header checksum, stored at 0x18E.

#include "cli/commands.h"
#include "rom/byte_order.h"
#include "rom/demo_rom.h"
#include "rom/file_image.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

namespace kavelo::cli {

namespace {

constexpr std::size_t checksum_offset = 0x18E;

std::string hex_word(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

int run_checksum(const std::string& path, bool fix) {
    file_image file = read_file_image(native_file_system(), path);
    if (file.status != read_status::ok) {
        return fail(path, describe_read_failure(file.status, path));
    }
    if (file.bytes.size() < 0x200) {
        return fail(path, "the file (" + std::to_string(file.bytes.size()) +
                              " bytes) is too short for a cartridge header");
    }
    auto field = std::span(file.bytes).subspan(checksum_offset).first<2>();
    const uint16_t stored = read_be16(field);
    const uint16_t computed = cartridge_checksum(file.bytes);
    std::cout << "stored:   " << hex_word(stored) << "\ncomputed: " << hex_word(computed) << '\n';
    if (!fix || stored == computed) {
        return 0;
    }
    write_be16(field, computed);
    if (!replace_file_atomically(native_file_system(), path, file.bytes)) {
        return fail(path, "the file could not be rewritten; it is unchanged");
    }
    std::cout << "fixed: wrote " << hex_word(computed) << " at 0x18E\n";
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
