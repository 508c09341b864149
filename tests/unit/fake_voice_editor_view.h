#pragma once
// The Voice editor window as plain data for the unit tests: what the user would see, and
// their next answers to its prompts and file dialogs.

#include "fake_sound_stream.h"
#include "voice_editor/voice_editor_view.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavelo::test {

struct fake_voice_editor_view : voice_editor_view {
    std::map<uint16_t, int> lists;
    std::map<uint16_t, bool> boxes;
    std::deque<bool> save_answers; // "No" once they run out
    int prompts = 0;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> log_lines;
    voice_editor_enabled enabled; // as last shown
    int algorithm_picture = -1, track = -1, voice_entries = 0, voice = -1;
    std::vector<std::string> import_names, export_names;
    int import_index = -1, export_index = -1;
    std::string name_field;
    std::optional<std::string> next_file;   // the answer of the single-file dialogs
    std::vector<std::string> next_files;    // of the instrument and bank file dialogs
    std::optional<std::string> next_output; // of the voice and bank "export as" dialogs
    std::vector<voice_record> played;
    std::vector<voice_editor_enabled> enabled_while_played;
    fake_sound_stream sound;

    void select(uint16_t id, int entry) override { lists[id] = entry; }
    int selection(uint16_t id) const override { return lists.count(id) ? lists.at(id) : -1; }
    void check(uint16_t id, bool on) override { boxes[id] = on; }
    bool checked(uint16_t id) const override { return boxes.count(id) && boxes.at(id); }
    bool ask_save_voice() override {
        ++prompts;
        bool yes = save_answers.empty() ? false : save_answers.front();
        if (!save_answers.empty()) {
            save_answers.pop_front();
        }
        return yes;
    }
    void show_message(std::string_view text, std::string_view title) override {
        messages.emplace_back(text, title);
    }
    void log(std::string_view line) override { log_lines.emplace_back(line); }
    void show_algorithm_picture(int algorithm) override { algorithm_picture = algorithm; }
    void select_track(int selection) override { track = selection; }
    int track_selection() const override { return track; }
    void set_voice_list(int count) override {
        voice_entries = count;
        voice = count > 0 ? 0 : -1;
    }
    int voice_selection() const override { return voice; }
    void set_import_list(const std::vector<std::string>& names) override { import_names = names; }
    int import_selection() const override { return import_index; }
    void set_export_list(const std::vector<std::string>& names, int selection) override {
        export_names = names;
        export_index = selection < static_cast<int>(names.size()) ? selection : -1;
    }
    int export_selection() const override { return export_index; }
    void set_voice_name_field(std::string_view text) override { name_field = text; }
    std::optional<std::string> choose_tx81z_file() override { return next_file; }
    std::optional<std::string> choose_bank_file() override { return next_file; }
    std::optional<std::string> choose_music_log_file() override { return next_file; }
    std::optional<std::string> choose_bank_export_file() override { return next_file; }
    std::vector<std::string> choose_instrument_files() override { return next_files; }
    std::vector<std::string> choose_voice_bank_files() override { return next_files; }
    std::optional<std::string> choose_voice_export_file() override { return next_output; }
    std::optional<std::string> choose_bank_export_as_file() override { return next_output; }
    void show_enabled(const voice_editor_enabled& states) override { enabled = states; }
    void play_preview(const voice_record& voice, int) override {
        played.push_back(voice);
        enabled_while_played.push_back(enabled);
    }
    sound_stream& track_sound() override { return sound; }
};

} // namespace kavelo::test
