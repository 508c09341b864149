// The Voice editor's editing comforts: undo and redo, Revert Voice, the operator context
// menu, and following the main window to another file.

#include "voice_editor/voice_editor_session.h"

namespace kavelo {

voice_snapshot voice_editor_session::snapshot() const {
    return {voice_editor_read_voice(view_), state_.current};
}

void voice_editor_session::start_history() {
    state_.history.reset(snapshot());
}

void voice_editor_session::record_change() {
    state_.history.record(snapshot());
}

// Edits made for the user rather than by a list: they count as a list edit does.
void voice_editor_session::apply_edit(const voice_record& shown) {
    voice_editor_show_voice(shown, view_);
    view_.show_algorithm_picture(shown[0] & 0x07);
    state_.modified = true;
    record_change();
}

void voice_editor_session::undo() {
    if (const std::optional<voice_snapshot> state = state_.history.undo()) {
        state_.current = state->current;
        voice_editor_show_voice(state->shown, view_);
        view_.show_algorithm_picture(state->shown[0] & 0x07);
        state_.modified = true;
    }
}

void voice_editor_session::redo() {
    if (const std::optional<voice_snapshot> state = state_.history.redo()) {
        state_.current = state->current;
        voice_editor_show_voice(state->shown, view_);
        view_.show_algorithm_picture(state->shown[0] & 0x07);
        state_.modified = true;
    }
}

void voice_editor_session::revert_voice() {
    voice_table file_voices;
    const op_result loaded = load_track_voices(access_, state_.track_offset, file_voices);
    if (loaded.code != result_done) {
        view_.show_message(loaded.problem, error_title);
        view_.log(loaded.problem);
        return;
    }
    const int32_t index = state_.current_index;
    if (index < 0 || index >= file_voices.count) {
        const std::string problem = "The file's track no longer holds voice " +
                                    std::to_string(index) + "; nothing was reverted.";
        view_.show_message(problem, error_title);
        view_.log(problem);
        return;
    }
    state_.table.voices[index] = file_voices.voices[index];
    state_.current = file_voices.voices[index];
    show_current();
    record_change();
    // The shown voice is the file's own again: nothing left to save.
    state_.modified = false;
}

void voice_editor_session::copy_operator(int op) {
    if (valid_operator(op)) {
        state_.operator_clipboard = kavelo::copy_operator(voice_editor_read_voice(view_), op);
    }
}

void voice_editor_session::paste_operator(int op) {
    if (!valid_operator(op) || !state_.operator_clipboard) {
        return;
    }
    voice_record shown = voice_editor_read_voice(view_);
    kavelo::paste_operator(shown, op, *state_.operator_clipboard);
    apply_edit(shown);
}

void voice_editor_session::swap_operators(int op, int other) {
    if (!valid_operator(op) || !valid_operator(other) || op == other) {
        return;
    }
    voice_record shown = voice_editor_read_voice(view_);
    kavelo::swap_operators(shown, op, other);
    apply_edit(shown);
}

void voice_editor_session::ask_to_save() {
    save_prompt();
}

void voice_editor_session::show_file(std::string path, file_mode mode) {
    stop_track();
    access_.path = std::move(path);
    access_.mode = mode;
    show_first_voice();
}

} // namespace kavelo
