#pragma once
// Which of the Voice editor's controls and menu items can be used. One function computes
// the whole set from the session; the dialog applies all of it whenever it may change.

#include <array>

namespace kavelo {

class voice_editor_session;

struct voice_editor_enabled {
    bool track_list = true;               // a bare track has no other track to choose
    bool preview = true;                  // not while its note plays
    bool undo = false;                    // Edit > Undo, Ctrl+Z
    bool redo = false;                    // Edit > Redo, Ctrl+Y
    bool stop_track = false;              // Track > Stop, Shift+F5: while a track plays
    std::array<bool, 4> paste_operator{}; // OP1..OP4's "Paste Operator": once one is copied
    bool operator==(const voice_editor_enabled&) const = default;
};

voice_editor_enabled voice_editor_enabled_states(const voice_editor_session& session);

} // namespace kavelo
