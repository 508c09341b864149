// kavelo voices SONG.vgm [--merge-volume] [--json] and kavelo bank from-vgm: the voices a
// music log keys on, as the editor's Import list shows them.

#include "cli/vgm_voices_command.h"

#include "cli/decoded_voice.h"
#include "cli/json_text.h"
#include "formats/ymx_bank.h"
#include "vgm/vgm_voices.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace kavelo::cli {

namespace {

void print_json_voice(std::size_t index, const vgm_voice& v) {
    std::cout << "{\"index\": " << index << ", \"hex\": \"" << voice_to_hex(v.voice)
              << "\", \"channel\": " << v.channel << ", \"key_ons\": " << v.key_ons
              << ", \"name\": " << json_quote(v.name) << ", ";
    print_decoded_json(v.voice);
    std::cout << "}";
}

// Reads, unpacks and extracts one log; prints the error (file and offset) and returns false.
bool voices_of_log(const std::string& path, bool merge_volume, std::vector<vgm_voice>& voices) {
    std::vector<uint8_t> bytes;
    if (const op_result read = vgm_read_file(native_file_system(), path, bytes); !read.done()) {
        fail(path, read.problem);
        return false;
    }
    if (const vgm_result error = extract_vgm_voices(bytes, voices); !error.done()) {
        char where[32];
        std::snprintf(where, sizeof where, "offset 0x%zX: ", error.offset);
        fail(path, where + error.problem);
        return false;
    }
    if (merge_volume) {
        voices = merge_volume_variants(voices);
    }
    return true;
}

struct from_vgm_options {
    std::vector<std::string> logs;
    std::string output;
    bool merge_volume = false;
};

int run_bank_from_vgm(const from_vgm_options& options) {
    std::vector<vgm_voice> all;
    for (const std::string& path : options.logs) {
        std::vector<vgm_voice> voices;
        if (!voices_of_log(path, false, voices)) {
            return 1;
        }
        append_new_voices(all, voices);
    }
    if (options.merge_volume) {
        all = merge_volume_variants(all);
    }
    if (all.empty()) {
        return fail(options.output, "the logs key on no YM2612 voice; nothing written");
    }
    if (all.size() > static_cast<std::size_t>(bank_max_entries)) {
        return fail(options.output, "the logs hold " + std::to_string(all.size()) +
                                        " distinct voices, more than the 128 of a bank file" +
                                        (options.merge_volume ? "" : " (try --merge-volume)") +
                                        "; nothing written");
    }
    std::vector<bank_voice> entries;
    for (const vgm_voice& v : all) {
        entries.push_back({v.voice, v.name});
    }
    if (const op_result exported = bank_export(native_file_system(), options.output, entries);
        !exported.done()) {
        return fail(options.output, exported.problem);
    }
    std::cout << "wrote " << entries.size() << " voices to " << options.output << '\n';
    return 0;
}

} // namespace

bool is_music_log(const std::string& path) {
    // A file named as a log is read as one, so a damaged log gets the log's own error
    // rather than being taken for a bare track.
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".vgm" || extension == ".vgz") {
        return true;
    }
    std::vector<uint8_t> head;
    if (native_file_system().read_head(path, 4, head) != read_status::ok) {
        return false;
    }
    return vgm_is_gzip(head) || (head.size() == 4 && head[0] == 'V' && head[1] == 'g' &&
                                 head[2] == 'm' && head[3] == ' ');
}

int run_vgm_voices(const std::string& path, bool merge_volume, bool json) {
    std::vector<vgm_voice> voices;
    if (!voices_of_log(path, merge_volume, voices)) {
        return 1;
    }
    if (json) {
        std::cout << "{\"file\": " << json_quote(path)
                  << ", \"merge_volume\": " << (merge_volume ? "true" : "false")
                  << ", \"voices\": [";
        for (std::size_t i = 0; i < voices.size(); ++i) {
            std::cout << (i ? ", " : "");
            print_json_voice(i, voices[i]);
        }
        std::cout << "]}\n";
        return 0;
    }
    std::cout << path << ": " << voices.size() << " voices\n";
    for (std::size_t i = 0; i < voices.size(); ++i) {
        const vgm_voice& v = voices[i];
        std::cout << "voice " << i << ": " << voice_to_hex(v.voice) << "  channel " << v.channel
                  << ", " << v.key_ons << " key-ons, \"" << v.name << "\"\n";
        print_decoded(v.voice);
    }
    return 0;
}

void add_bank_from_vgm_command(CLI::App& bank, cli_context& context) {
    auto options = std::make_shared<from_vgm_options>();
    CLI::App* command = bank.add_subcommand(
        "from-vgm", "Write the voices of VGM music logs to a bank, each distinct record once");
    command->add_option("LOG", options->logs, "VGM music logs, .vgm or .vgz")->required();
    command->add_option("-o,--output", options->output, "bank file to write")->required();
    command->add_flag("--merge-volume", options->merge_volume,
                      "keep one voice (the loudest) of records that differ only in carrier TL");
    command->footer("Example: kavelo bank from-vgm stage1.vgz stage2.vgz -o stages.ymx");
    command->callback([options, &context] { context.exit_code = run_bank_from_vgm(*options); });
}

} // namespace kavelo::cli
