#include "voice_editor/voice_editor_enabled_win32.h"

#include "resource.h"
#include "voice_editor_ids.h"

namespace kavelo {

namespace {

void enable_item(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void enable_control(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

} // namespace

void voice_editor_apply_enabled(HWND dialog, const voice_editor_enabled& states,
                                HMENU operator_menu) {
    enable_control(dialog, IDC_TRACK_LIST, states.track_list);
    enable_control(dialog, IDC_PREVIEW, states.preview);
    HMENU menu = GetMenu(dialog);
    enable_item(menu, IDM_UNDO, states.undo);
    enable_item(menu, IDM_REDO, states.redo);
    enable_item(menu, IDM_STOP_TRACK, states.stop_track);
    if (operator_menu != nullptr) {
        for (UINT k = 0; k < states.paste_operator.size(); ++k) {
            enable_item(operator_menu, IDM_PASTE_OPERATOR_1 + k, states.paste_operator[k]);
        }
    }
}

} // namespace kavelo
