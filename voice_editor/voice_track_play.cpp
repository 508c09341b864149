// Play Track and Stop: the shown track through the editor's sound stream, with the voice
// table as the editor holds it and the shown voice as the controls show it, unsaved edits
// included. A change of the shown voice is heard while the track plays.

#include "voice_editor/voice_editor_session.h"

namespace kavelo {

op_result voice_editor_session::track_to_play(track_source& source) const {
    const op_result read = read_track_source(access_, state_.track_offset, source);
    if (read.code != result_done) {
        return read;
    }
    voice_table table = state_.table;
    if (state_.current_index >= 0 && state_.current_index < table.count) {
        table.voices[static_cast<std::size_t>(state_.current_index)] =
            voice_editor_read_voice(view_);
    }
    put_track_voices(source, std::span(table.voices).first(static_cast<std::size_t>(table.count)));
    return {};
}

void voice_editor_session::play_track() {
    track_source source;
    const op_result read = track_to_play(source);
    if (read.code != result_done) {
        view_.show_message(read.problem, error_title);
        view_.log(read.problem);
        return;
    }
    playback_.play(std::move(source), track_title(access_, state_.track_offset));
}

void voice_editor_session::stop_track() {
    playback_.stop();
}

void voice_editor_session::follow_shown_voice() {
    if (playback_.playing() && state_.current_index >= 0 &&
        state_.current_index < state_.table.count) {
        playback_.show_voice(state_.current_index, voice_editor_read_voice(view_));
    }
}

} // namespace kavelo
