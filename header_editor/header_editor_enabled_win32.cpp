#include "header_editor/header_editor_enabled_win32.h"

#include "header_editor_ids.h"

namespace kavelo {

void header_editor_apply_enabled(HWND dialog, const header_editor_enabled& states) {
    EnableWindow(GetDlgItem(dialog, IDC_HEADER_TRACK_LIST), states.track_list ? TRUE : FALSE);
    for (std::size_t i = 0; i < header_fields.size(); ++i) {
        EnableWindow(GetDlgItem(dialog, header_fields[i].control_id),
                     states.fields[i] ? TRUE : FALSE);
    }
}

} // namespace kavelo
