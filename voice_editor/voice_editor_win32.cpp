// Placeholder until the Voice editor dialog lands: says so instead of opening nothing.

#include "voice_editor/voice_editor_win32.h"

#include "app/app_win32.h"

namespace kavelo {

bool voice_editor_open() {
    MessageBoxA(the_app().main_window, "The Voice Editor is not available in this build.",
                "Voice Editor", MB_OK | MB_ICONINFORMATION);
    return false;
}

} // namespace kavelo
