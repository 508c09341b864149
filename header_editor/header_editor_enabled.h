#pragma once
// Which of the Track Header Editor's controls can be used. One function computes the whole
// set from the header copy and the file mode; the dialog applies all of it at once. The
// Mute boxes are no part of it: the template keeps them disabled for good.

#include "header_editor/header_fields.h"
#include "rom/rom_access.h"
#include "rom/track_header.h"

#include <array>

namespace kavelo {

struct header_editor_enabled {
    bool track_list = false; // a ROM image's 19 tracks; a bare track has only itself
    // By the header field table's order: a field whose channel the header lacks is disabled.
    std::array<bool, header_fields.size()> fields{};
    bool operator==(const header_editor_enabled&) const = default;
};

header_editor_enabled header_editor_enabled_states(const track_header& header, file_mode mode);

} // namespace kavelo
