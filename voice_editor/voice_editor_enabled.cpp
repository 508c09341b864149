#include "voice_editor/voice_editor_enabled.h"

#include "voice_editor/voice_editor_session.h"

namespace kavelo {

voice_editor_enabled voice_editor_enabled_states(const voice_editor_session& session) {
    voice_editor_enabled states;
    states.track_list = session.mode() == file_mode::rom_image;
    states.preview = !session.previewing();
    states.undo = session.can_undo();
    states.redo = session.can_redo();
    states.stop_track = session.playing();
    states.paste_operator.fill(session.can_paste_operator());
    return states;
}

} // namespace kavelo
