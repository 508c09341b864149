#include "voice_editor/voice_editor_session.h"

#include "rom/track_table.h"
#include "rom/voice_commit.h"

namespace kavelo {

namespace {

int algorithm_of(const voice_record& voice) {
    return voice[0] & 0x07;
}

} // namespace

void voice_editor_session::open() {
    state_.export_bank.clear();
    refresh_export_list(-1);
    show_first_voice();
}

void voice_editor_session::show_first_voice() {
    const bool rom = access_.mode == file_mode::rom_image;
    load_voices(rom ? track_table[0].start : 0);
    view_.set_voice_list(state_.table.count);
    state_.current_index = 0;
    state_.current = state_.table.voices[0];
    voice_editor_show_voice(state_.current, view_);
    view_.select_track(0);
    view_.show_algorithm_picture(algorithm_of(state_.current));
    start_history();
    show_enabled();
}

void voice_editor_session::load_voices(uint32_t start) {
    state_.track_offset = start;
    const op_result loaded = load_track_voices(access_, start, state_.table);
    if (loaded.code != result_done) {
        // Voices of the previous track must never be saved into this one.
        state_.table.count = 0;
        view_.show_message(loaded.problem, error_title);
        view_.log(loaded.problem);
    }
}

void voice_editor_session::report_commit(const op_result& result) {
    switch (result.code) {
    case result_done:
        return;
    case result_cannot_read:
        view_.show_message("Error with Rom Backup Write!", error_title);
        view_.log("Error with Rom Backup Write");
        return;
    case result_write_failed:
        view_.show_message("Error Commiting voice to ROM!", error_title);
        view_.log("Error Commiting voice to ROM!");
        return;
    default:
        view_.show_message(result.problem, error_title);
        view_.log(result.problem);
    }
}

void voice_editor_session::save_to_rom() {
    report_commit(commit_voice(access_, state_.track_offset, state_.table, state_.current_index,
                               voice_editor_read_voice(view_)));
}

void voice_editor_session::save_prompt() {
    if (!state_.modified) {
        return;
    }
    if (view_.ask_save_voice()) {
        save_to_rom();
    }
    state_.modified = false;
}

void voice_editor_session::close() {
    stop_track();
    save_prompt();
}

void voice_editor_session::choose_track() {
    stop_track(); // the track that plays is always the one shown
    save_prompt();
    const int track = view_.track_selection();
    if (track >= 0 && track < track_count) {
        load_voices(track_table[track].start);
        view_.set_voice_list(state_.table.count);
        voice_editor_show_voice(state_.table.voices[0], view_);
        state_.current_index = 0;
        state_.current = state_.table.voices[0];
        start_history();
    }
    view_.show_algorithm_picture(algorithm_of(state_.current));
}

void voice_editor_session::choose_voice() {
    save_prompt();
    const int voice = view_.voice_selection();
    if (voice < 0 || voice >= voice_table_capacity) {
        return;
    }
    state_.current_index = voice;
    state_.current = state_.table.voices[voice];
    show_current();
    start_history();
}

void voice_editor_session::show_current() {
    voice_editor_show_voice(state_.current, view_);
    view_.show_algorithm_picture(algorithm_of(state_.current));
}

void voice_editor_session::preview() {
    state_.current = voice_editor_read_voice(view_);
    state_.history.amend_present(snapshot()); // Preview moves the current voice, not a step
    previewing_ = true;
    show_enabled();
    view_.play_preview(state_.current, preview_note_index);
    previewing_ = false;
    show_enabled();
}

void voice_editor_session::show_enabled() {
    view_.show_enabled(voice_editor_enabled_states(*this));
}

void voice_editor_session::copy_voice() {
    state_.clipboard = voice_editor_read_voice(view_);
    state_.clipboard_valid = true;
}

void voice_editor_session::paste_voice() {
    if (!state_.clipboard_valid) {
        return;
    }
    state_.current = state_.clipboard;
    show_current();
    record_change();
}

} // namespace kavelo
