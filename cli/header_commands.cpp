// kavelo header / set-header: the track header bytes the Track Header Editor edits, laid
// out by the header's own channel counts.

#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/opened_file.h"
#include "header_editor/header_fields.h"
#include "rom/track_header.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace kavelo::cli {

namespace {

struct header_options {
    std::string path;
    std::string track;
    bool json = false;
    std::vector<std::string> assignments;
};

// Reads the header; prints the error and returns nothing on failure.
std::optional<track_header> read_header(const opened_file& opened) {
    track_header header{};
    const op_result result = read_track_header(opened.access, opened.track_start, header);
    if (result.code != result_done) {
        fail(opened.access.path, result.problem);
        return std::nullopt;
    }
    return header;
}

// "7 FM and 3 PSG entries, 52 bytes", or the fixed layout that other bytes 2-3 keep.
std::string describe_layout(const track_header_layout& layout) {
    if (!layout.counted) {
        return "fixed 48 bytes (bytes 2-3 are not channel counts)";
    }
    return std::to_string(layout.fm_entries) + " FM and " + std::to_string(layout.psg_entries) +
           " PSG entries, " + std::to_string(layout.size) + " bytes";
}

void print_header(const opened_file& opened, const track_header& header, bool json) {
    const track_header_layout layout = header.layout();
    if (json) {
        std::cout << "{\"track\": " << json_quote(opened.track_label)
                  << ", \"channel_counts\": " << (layout.counted ? "true" : "false")
                  << ", \"fm_entries\": " << layout.fm_entries
                  << ", \"psg_entries\": " << layout.psg_entries
                  << ", \"header_size\": " << layout.size;
        for (const header_field& field : header_fields) {
            if (const std::optional<std::size_t> byte = header_field_byte(field, layout)) {
                std::cout << ", " << json_quote(field.name) << ": " << int(header[*byte]);
            }
        }
        std::cout << "}\n";
        return;
    }
    std::cout << opened.track_label << '\n';
    std::cout << "  layout      " << describe_layout(layout) << '\n';
    for (const header_field& field : header_fields) {
        if (const std::optional<std::size_t> byte = header_field_byte(field, layout)) {
            std::cout << "  " << field.name << std::string(12 - field.name.size(), ' ')
                      << int(header[*byte]) << '\n';
        }
    }
}

std::string field_channel_name(const header_field& field) {
    return (field.kind == header_field_kind::fm ? "FM channel " : "PSG channel ") +
           std::to_string(field.channel);
}

int run_header(const header_options& options) {
    std::optional<opened_file> opened = open_for_command(options.path, options.track);
    std::optional<track_header> header = opened ? read_header(*opened) : std::nullopt;
    if (!header) {
        return 1;
    }
    print_header(*opened, *header, options.json);
    return 0;
}

int run_set_header(const header_options& options) {
    std::optional<opened_file> opened = open_for_command(options.path, options.track);
    std::optional<track_header> header = opened ? read_header(*opened) : std::nullopt;
    if (!header) {
        return 1;
    }
    for (const std::string& assignment : options.assignments) {
        const std::size_t equals = assignment.find('=');
        const header_field* field =
            equals == std::string::npos ? nullptr : find_header_field(assignment.substr(0, equals));
        if (!field) {
            throw CLI::ValidationError("\"" + assignment +
                                       "\" is not NAME=VALUE with a field name that `kavelo "
                                       "header` prints");
        }
        const std::optional<std::size_t> byte = header_field_byte(*field, header->layout());
        if (!byte) {
            return fail(options.path, "the header of " + opened->track_label + " (" +
                                          describe_layout(header->layout()) + ") has no " +
                                          field_channel_name(*field) + ", so " +
                                          std::string(field->name) +
                                          " cannot be set; nothing was written");
        }
        // The value is read as the editor reads a typed number: "-1" is 255, "300" is 44.
        (*header)[*byte] = read_header_text(assignment.substr(equals + 1));
    }
    const op_result result = commit_track_header(opened->access, opened->track_start, *header);
    if (result.code == result_write_failed) {
        return fail(options.path, "the file could not be rewritten; it is unchanged");
    }
    if (result.code != result_done) {
        return fail(options.path, result.problem);
    }
    print_header(*opened, *header, false);
    return 0;
}

} // namespace

void add_header_commands(CLI::App& app, cli_context& context) {
    auto show = std::make_shared<header_options>();
    CLI::App* header =
        app.add_subcommand("header", "Print the edited bytes of a track's header and its layout");
    header->add_option("FILE", show->path, "ROM image or bare track")->required();
    header->add_option("--track,-t", show->track, "track index 0-18 or display name (ROM only)");
    header->add_flag("--json", show->json, "print JSON instead of text");
    header->footer("Example: kavelo header demo-rom.bin --track 5");
    header->callback([show, &context] { context.exit_code = run_header(*show); });

    auto set = std::make_shared<header_options>();
    CLI::App* set_header = app.add_subcommand(
        "set-header", "Set header bytes by name in one rewrite; values 0-255, or any number "
                      "read as the editor reads it (its first 3 characters, low 8 bits). A "
                      "field of a channel the header lacks is refused and nothing is written");
    set_header->add_option("FILE", set->path, "ROM image or bare track")->required();
    set_header->add_option("NAME=VALUE", set->assignments, "fields to set")->required();
    set_header->add_option("--track,-t", set->track, "track index 0-18 or display name (ROM only)");
    set_header->footer(
        "Example: kavelo set-header demo-rom.bin --track 5 song_tempo=7 fm1_volume=-2");
    set_header->callback([set, &context] { context.exit_code = run_set_header(*set); });
}

} // namespace kavelo::cli
