#pragma once
// The Header editor window as plain data for the unit tests: what the user would see.

#include "fake_sound_stream.h"
#include "header_editor/header_editor_enabled.h"
#include "header_editor/header_editor_session.h"
#include "header_editor/header_fields.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kavelo::test {

struct fake_header_editor_view : header_editor_view {
    std::map<uint16_t, std::string> fields;
    std::map<uint16_t, bool> field_enabled;
    bool enabled = true, filled = false;
    int track = -1;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> log_lines;
    fake_sound_stream sound;
    bool says_stop = false; // the Play button reads Stop

    void set_field_text(uint16_t id, std::string_view text) override { fields[id] = text; }
    std::string field_text(uint16_t id) const override {
        return fields.count(id) ? fields.at(id) : "";
    }
    void show_enabled(const header_editor_enabled& states) override {
        enabled = states.track_list;
        for (std::size_t i = 0; i < header_fields.size(); ++i) {
            field_enabled[header_fields[i].control_id] = states.fields[i];
        }
    }
    void set_track_list(bool with_names, int selection) override {
        filled = with_names;
        track = selection;
    }
    int track_selection() const override { return track; }
    void show_message(std::string_view text, std::string_view title) override {
        messages.emplace_back(text, title);
    }
    void log(std::string_view line) override { log_lines.emplace_back(line); }
    sound_stream& track_sound() override { return sound; }
    void show_playing(bool playing) override { says_stop = playing; }
};

} // namespace kavelo::test
