// The Voice editor's two list panels: the Import list and the Export bank list.

#include "voice_editor/voice_editor_session.h"

namespace kavelo {

namespace {

constexpr std::string_view bank_full =
    "The bank list already holds 128 voices, as many as a bank file can.";

} // namespace

void voice_editor_session::import_tx81z() {
    const std::optional<std::string> path = view_.choose_tx81z_file();
    if (!path) {
        return;
    }
    const tx81z_import_result result = tx81z_import_file(access_.fs, *path, state_.tx81z);
    if (!result.done()) {
        view_.show_message(result.problem, error_title);
        return;
    }
    view_.set_import_list(result.names);
    state_.source = import_source::tx81z;
    if (result.voices_in_file > tx81z_store_voices) {
        view_.show_message("The dump holds " + std::to_string(result.voices_in_file) +
                               " voices; the first 50 were imported.",
                           "Import");
    }
}

void voice_editor_session::import_bank() {
    const std::optional<std::string> path = view_.choose_bank_file();
    if (!path) {
        return;
    }
    bank_read_result result = bank_import(access_.fs, *path);
    if (!result.done()) {
        view_.show_message(result.problem, error_title);
        return;
    }
    std::vector<std::string> names;
    for (const bank_voice& entry : result.entries) {
        names.push_back(entry.name);
    }
    state_.imported_bank = std::move(result.entries);
    view_.set_import_list(names);
    state_.source = import_source::bank;
    if (!result.notice.empty()) {
        view_.show_message(result.notice, "Import");
    }
}

std::optional<voice_record> voice_editor_session::import_entry(int index) const {
    if (index < 0) {
        return std::nullopt;
    }
    switch (state_.source) {
    case import_source::tx81z:
        if (index < state_.tx81z.voice_count) {
            return tx81z_voice_to_record(state_.tx81z, index);
        }
        break;
    case import_source::bank:
        if (index < static_cast<int>(state_.imported_bank.size())) {
            return state_.imported_bank[static_cast<std::size_t>(index)].voice;
        }
        break;
    case import_source::instrument_files:
    case import_source::voice_bank_file:
    case import_source::music_log:
        if (index < static_cast<int>(state_.imported_voices.size())) {
            return state_.imported_voices[static_cast<std::size_t>(index)].voice;
        }
        break;
    case import_source::none:
        break;
    }
    return std::nullopt;
}

void voice_editor_session::send_to_voice() {
    const std::optional<voice_record> voice = import_entry(view_.import_selection());
    if (voice) {
        state_.current = *voice;
        show_current();
        record_change();
    }
}

void voice_editor_session::add_import_entry() {
    const int index = view_.import_selection();
    const std::optional<voice_record> voice = import_entry(index);
    if (!voice) {
        return;
    }
    const auto entry = static_cast<std::size_t>(index);
    const std::string name =
        state_.source == import_source::tx81z  ? tx81z_voice_name(state_.tx81z, index)
        : state_.source == import_source::bank ? state_.imported_bank[entry].name
                                               : state_.imported_voices[entry].name;
    if (!state_.export_bank.add(*voice, name)) {
        view_.show_message(bank_full, error_title);
        return;
    }
    refresh_export_list(view_.export_selection());
}

void voice_editor_session::add_current_voice() {
    if (!state_.export_bank.add(state_.current, state_.export_bank.next_default_name())) {
        view_.show_message(bank_full, error_title);
        return;
    }
    refresh_export_list(view_.export_selection());
}

void voice_editor_session::delete_export_entry() {
    const int index = view_.export_selection();
    if (index >= 0) {
        refresh_export_list(state_.export_bank.remove(index));
    }
}

void voice_editor_session::move_export_entry_up() {
    const int index = view_.export_selection();
    if (index >= 0) {
        refresh_export_list(state_.export_bank.move_up(index));
    }
}

void voice_editor_session::move_export_entry_down() {
    const int index = view_.export_selection();
    if (index >= 0) {
        refresh_export_list(state_.export_bank.move_down(index));
    }
}

void voice_editor_session::clear_export_bank() {
    state_.export_bank.clear();
    refresh_export_list(-1);
}

void voice_editor_session::export_bank() {
    const std::optional<std::string> path = view_.choose_bank_export_file();
    if (!path || !kavelo::bank_export(access_.fs, *path, state_.export_bank.entries()).done()) {
        view_.show_message("Unknown Error!", "Error");
    }
}

void voice_editor_session::show_export_name() {
    const int index = view_.export_selection();
    if (index >= 0 && index < state_.export_bank.count()) {
        view_.set_voice_name_field(
            state_.export_bank.entries()[static_cast<std::size_t>(index)].name);
    }
}

void voice_editor_session::rename_export_entry(std::string_view text) {
    const int index = view_.export_selection();
    if (index < 0 || index >= state_.export_bank.count()) {
        return;
    }
    if (state_.export_bank.entries()[static_cast<std::size_t>(index)].name ==
        text.substr(0, bank_name_length)) {
        return; // showing a name raises a change of the same text
    }
    refresh_export_list(state_.export_bank.rename(index, text));
}

std::vector<std::string> voice_editor_session::export_names() const {
    std::vector<std::string> names;
    for (const bank_voice& entry : state_.export_bank.entries()) {
        names.push_back(entry.name);
    }
    return names;
}

void voice_editor_session::refresh_export_list(int selection) {
    view_.set_export_list(export_names(), selection);
}

} // namespace kavelo
