// What a report from one of the Voice editor's controls means: the dialog forwards every
// selection change, click, double-click and text change by control id, and this decides.

#include "voice_editor/voice_editor_session.h"

#include <optional>

namespace kavelo {

namespace {

// The voice field that this control shows, if it shows one.
std::optional<field_control> voice_control(uint16_t control_id) {
    for (const field_control& control : voice_field_controls()) {
        if (control.control_id == control_id) {
            return control;
        }
    }
    return std::nullopt;
}

// The lists whose selection edits the voice or the bank panels: every list but the track
// and voice lists. Commands of the accelerators arrive with a selection change's code too,
// and they are no list.
bool marks_voice_modified(uint16_t control_id) {
    if (control_id == IDC_IMPORT_LIST || control_id == IDC_EXPORT_LIST) {
        return true;
    }
    const std::optional<field_control> control = voice_control(control_id);
    return control && control->field->display != field_display::check_box;
}

} // namespace

void voice_editor_session::selection_changed(uint16_t control_id) {
    if (control_id == IDC_TRACK_LIST) {
        choose_track();
        return;
    }
    if (control_id == IDC_VOICE_LIST) {
        choose_voice();
        return;
    }
    if (control_id == IDC_EXPORT_LIST) {
        show_export_name();
    }
    if (!marks_voice_modified(control_id)) {
        return;
    }
    state_.modified = true;
    if (voice_control(control_id)) {
        record_change();
    }
    if (control_id == IDC_ALG_LIST) {
        change_algorithm();
    }
}

void voice_editor_session::box_clicked(uint16_t control_id) {
    // An AME box is an undo step; only a list selection marks the voice modified.
    if (voice_control(control_id)) {
        record_change();
    }
}

void voice_editor_session::list_double_clicked(uint16_t control_id) {
    if (control_id == IDC_IMPORT_LIST) {
        add_import_entry();
    }
}

void voice_editor_session::text_changed(uint16_t control_id, std::string_view text) {
    if (control_id == IDC_VOICE_NAME) {
        rename_export_entry(text);
    }
}

void voice_editor_session::change_algorithm() {
    const int algorithm = view_.selection(IDC_ALG_LIST);
    if (algorithm >= 0 && algorithm <= 7) {
        view_.show_algorithm_picture(algorithm);
    }
}

} // namespace kavelo
