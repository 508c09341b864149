#pragma once
// The Track Header Editor's flows apart from its window: it keeps its own track offset
// and header copy, shows the header's tempo and channel bytes as numbers and commits
// what the fields hold. Fields of a channel the header lacks are empty and disabled.

#include "header_editor/header_editor_enabled.h"
#include "rom/rom_access.h"
#include "rom/track_header.h"
#include "sound/track_playback.h"

#include <string>
#include <string_view>

namespace kavelo {

class header_editor_view {
  public:
    virtual ~header_editor_view() = default;
    virtual void set_field_text(uint16_t control_id, std::string_view text) = 0;
    virtual std::string field_text(uint16_t control_id) const = 0;
    // Every enabled and disabled state of the dialog's controls at once.
    virtual void show_enabled(const header_editor_enabled& states) = 0;
    // A ROM image fills the list with the 19 track names; a bare track leaves it empty.
    virtual void set_track_list(bool filled, int selection) = 0;
    virtual int track_selection() const = 0;
    virtual void show_message(std::string_view text, std::string_view title) = 0;
    virtual void log(std::string_view line) = 0;
    // The sound device that Play streams through, and the Play button: "Stop" while playing.
    virtual sound_stream& track_sound() = 0;
    virtual void show_playing(bool playing) = 0;
};

struct header_editor_state {
    uint32_t track_offset = 0; // the track this editor shows; its commits write there
    track_header header{};
};

class header_editor_session {
  public:
    header_editor_session(header_editor_state& state, header_editor_view& view, rom_access access)
        : state_(state), view_(view), access_(std::move(access)),
          playback_(view.track_sound(), [&view](std::string_view line) { view.log(line); }) {}

    void open();
    // Another file is open: show it from its first track (or the bare track).
    void show_file(std::string path, file_mode mode);
    void choose_track();
    void commit();

    void show();
    void read();

    // Play plays the track with the header as the fields hold it, uncommitted; pressed
    // while playing, it stops. Close, another track and another file stop it too.
    void play_or_stop();
    void stop_track();
    void close() { stop_track(); }
    bool playing() const { return playback_.playing(); }
    // The player's messages, and the end of a track that ended; true when it stopped.
    bool poll_track();
    // The file's bytes with the header copy, as the fields hold it, put in.
    op_result track_to_play(track_source& source) const;

  private:
    void read_header(uint32_t start);
    // The fields into `header`, by the header field table and the header's layout.
    void read_into(track_header& header) const;

    header_editor_state& state_;
    header_editor_view& view_;
    rom_access access_;
    track_playback playback_;
};

} // namespace kavelo
