#include "header_editor/header_editor_session.h"

#include "header_editor/header_fields.h"
#include "rom/track_table.h"

namespace kavelo {

void header_editor_session::open() {
    stop_track();
    const bool rom = access_.mode == file_mode::rom_image;
    view_.set_track_list(rom, 0);
    read_header(rom ? track_table[0].start : 0);
    show();
}

void header_editor_session::show_file(std::string path, file_mode mode) {
    access_.path = std::move(path);
    access_.mode = mode;
    open();
}

void header_editor_session::read_header(uint32_t start) {
    state_.track_offset = start;
    const op_result result = read_track_header(access_, start, state_.header);
    if (result.code != result_done) {
        view_.show_message(result.problem, error_title);
        view_.log(result.problem);
    }
}

void header_editor_session::choose_track() {
    stop_track(); // the track that plays is always the one shown
    const int track = view_.track_selection();
    if (track >= 0 && track < track_count) {
        read_header(track_table[track].start);
    }
    show(); // uncommitted edits are discarded
}

void header_editor_session::commit() {
    read();
    const op_result result = commit_track_header(access_, state_.track_offset, state_.header);
    if (result.code == result_write_failed) {
        view_.show_message("Error Commiting Header to ROM!", error_title);
        view_.log("Error Commiting Header to ROM!");
    } else if (result.code == result_refused) {
        view_.show_message(result.problem, error_title);
        view_.log(result.problem);
    }
}

// The header copy in the fields; a field of a channel the header lacks is empty.
void header_editor_session::show() {
    const track_header_layout layout = state_.header.layout();
    for (const header_field& field : header_fields) {
        const std::optional<std::size_t> byte = header_field_byte(field, layout);
        view_.set_field_text(field.control_id,
                             byte ? format_header_byte(state_.header[*byte]) : "");
    }
    view_.show_enabled(header_editor_enabled_states(state_.header, access_.mode));
}

void header_editor_session::read() {
    read_into(state_.header);
}

void header_editor_session::read_into(track_header& header) const {
    const track_header_layout layout = header.layout();
    for (const header_field& field : header_fields) {
        if (const std::optional<std::size_t> byte = header_field_byte(field, layout)) {
            header[*byte] = read_header_text(view_.field_text(field.control_id));
        }
    }
}

op_result header_editor_session::track_to_play(track_source& source) const {
    const op_result read = read_track_source(access_, state_.track_offset, source);
    if (read.code != result_done) {
        return read;
    }
    track_header typed = state_.header;
    read_into(typed);
    return put_track_header(source, typed);
}

void header_editor_session::play_or_stop() {
    if (playback_.playing()) {
        stop_track();
        return;
    }
    track_source source;
    const op_result read = track_to_play(source);
    if (read.code != result_done) {
        view_.show_message(read.problem, error_title);
        view_.log(read.problem);
        return;
    }
    playback_.play(std::move(source), track_title(access_, state_.track_offset));
    view_.show_playing(playback_.playing());
}

void header_editor_session::stop_track() {
    playback_.stop();
    view_.show_playing(false);
}

bool header_editor_session::poll_track() {
    if (!playback_.poll()) {
        return false;
    }
    view_.show_playing(false);
    return true;
}

} // namespace kavelo
