// Placeholder until the Track Header Editor dialog lands: says so instead of opening nothing.

#include "header_editor/header_editor_win32.h"

#include "app/app_win32.h"

namespace kavelo {

void header_editor_open() {
    MessageBoxA(the_app().main_window, "The Track Header Editor is not available in this build.",
                "Track Header Editor", MB_OK | MB_ICONINFORMATION);
}

} // namespace kavelo
