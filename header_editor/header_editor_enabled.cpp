#include "header_editor/header_editor_enabled.h"

namespace kavelo {

header_editor_enabled header_editor_enabled_states(const track_header& header, file_mode mode) {
    header_editor_enabled states;
    states.track_list = mode == file_mode::rom_image;
    const track_header_layout layout = header.layout();
    for (std::size_t i = 0; i < header_fields.size(); ++i) {
        states.fields[i] = header_field_byte(header_fields[i], layout).has_value();
    }
    return states;
}

} // namespace kavelo
