#pragma once
// The Track Header Editor's flows apart from its window: it keeps its own track offset
// and header copy, shows the header's tempo and channel bytes as numbers and commits
// what the fields hold. Fields of a channel the header lacks are empty and disabled.

#include "rom/rom_access.h"
#include "rom/track_header.h"

#include <string>
#include <string_view>

namespace kavelo {

class header_editor_view {
  public:
    virtual ~header_editor_view() = default;
    virtual void set_field_text(uint16_t control_id, std::string_view text) = 0;
    virtual std::string field_text(uint16_t control_id) const = 0;
    virtual void set_field_enabled(uint16_t control_id, bool enabled) = 0;
    // A ROM image fills the list with the 19 track names; a bare track leaves it empty.
    virtual void set_track_list(bool enabled, bool filled, int selection) = 0;
    virtual int track_selection() const = 0;
    virtual void show_message(std::string_view text, std::string_view title) = 0;
    virtual void log(std::string_view line) = 0;
};

struct header_editor_state {
    uint32_t track_offset = 0; // the track this editor shows; its commits write there
    track_header header{};
};

class header_editor_session {
  public:
    header_editor_session(header_editor_state& state, header_editor_view& view, rom_access access)
        : state_(state), view_(view), access_(std::move(access)) {}

    void open();
    // Another file is open: show it from its first track (or the bare track).
    void show_file(std::string path, file_mode mode);
    void choose_track();
    void commit();

    void show();
    void read();

  private:
    void read_header(uint32_t start);

    header_editor_state& state_;
    header_editor_view& view_;
    rom_access access_;
};

} // namespace kavelo
