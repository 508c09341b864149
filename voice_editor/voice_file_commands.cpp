// The Voice editor's commands for instrument and bank files of every format: importing
// instrument files and voice banks into the Import list, and exporting the shown voice or
// the Export bank list in a chosen format.

#include "formats/voice_formats.h"
#include "voice_editor/voice_editor_session.h"

namespace kavelo {

namespace {

std::string file_name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stem_of(const std::string& path) {
    const std::string name = file_name_of(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Shows a failed write (a message and a log line) or logs what the format could not hold;
// false when the write failed.
bool report_write(voice_editor_view& view, const std::string& path,
                  const voice_file_written& written) {
    if (!written.done()) {
        view.show_message(written.problem, "Error!");
        view.log(written.problem);
        return false;
    }
    if (!written.lost.empty()) {
        view.log("  * " + file_name_of(path) +
                 ": the format cannot hold: " + join_field_names(written.lost));
    }
    return true;
}

} // namespace

void voice_editor_session::import_instrument_files() {
    import_voice_files(view_.choose_instrument_files(), import_source::instrument_files);
}

void voice_editor_session::import_voice_bank() {
    import_voice_files(view_.choose_voice_bank_files(), import_source::voice_bank_file);
}

void voice_editor_session::import_voice_files(const std::vector<std::string>& paths,
                                              import_source source) {
    std::vector<named_voice> voices;
    std::string refused;
    for (const std::string& path : paths) {
        voice_file_read read = read_voice_file(access_.fs, path);
        if (!read.done()) {
            refused += file_name_of(path) + ": " + read.problem + "\r\n";
            continue;
        }
        for (const std::string& note : reading_notes(read)) {
            view_.log("  * " + file_name_of(path) + ": " + note);
        }
        name_voices_after_file(read.voices, stem_of(path));
        voices.insert(voices.end(), read.voices.begin(), read.voices.end());
    }
    if (!refused.empty()) {
        view_.show_message("These files could not be read:\r\n" + refused, "Error!");
    }
    if (voices.empty()) {
        return; // the Import list keeps what it showed, and so does the kind
    }
    std::vector<std::string> names;
    for (const named_voice& voice : voices) {
        names.push_back(voice.name);
    }
    state_.imported_voices = std::move(voices);
    state_.source = source;
    view_.set_import_list(names);
    view_.log("  * Imported " + std::to_string(names.size()) +
              (names.size() == 1 ? " voice" : " voices"));
}

void voice_editor_session::export_voice() {
    const std::optional<std::string> path = view_.choose_voice_export_file();
    if (!path) {
        return;
    }
    const named_voice voice{voice_editor_read_voice(view_),
                            "Voice " + std::to_string(state_.current_index)};
    const voice_file_written written = write_voice_file(access_.fs, *path, std::span(&voice, 1));
    if (!report_write(view_, *path, written)) {
        return;
    }
    view_.log("  * Voice exported to " + file_name_of(*path));
}

void voice_editor_session::export_bank_as() {
    const std::optional<std::string> path = view_.choose_bank_export_as_file();
    if (!path) {
        return;
    }
    std::vector<named_voice> voices;
    for (const bank_voice& entry : state_.export_bank.entries()) {
        voices.push_back({entry.voice, entry.name});
    }
    const voice_file_written written = write_voice_file(access_.fs, *path, voices);
    if (!report_write(view_, *path, written)) {
        return;
    }
    view_.log("  * Bank of " + std::to_string(voices.size()) + " voices exported to " +
              file_name_of(*path));
}

} // namespace kavelo
