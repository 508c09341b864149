// The program's accelerators, in the main loop and in the Track Header Editor's modal
// loop: that loop translates no accelerators of its own, so a message filter hook passes
// the keys of the main window, the Voice editor and the Keyboard window through the same
// translation while it runs.

#include "app/app_win32.h"
#include "res/resource.h"
#include "voice_editor/voice_editor_win32.h"

namespace kavelo {

namespace {

HHOOK filter_hook = nullptr;

// The windows the main loop serves; a modal dialog or a message box keeps its own keys.
bool is_modeless_window(HWND window) {
    const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return root && (root == the_app().main_window || voice_editor_holds_window(root));
}

LRESULT CALLBACK on_dialog_message(int code, WPARAM wparam, LPARAM lparam) {
    auto* message = reinterpret_cast<MSG*>(lparam);
    if (code == MSGF_DIALOGBOX && message && is_modeless_window(message->hwnd) &&
        translate_accelerators(*message)) {
        return TRUE;
    }
    return CallNextHookEx(filter_hook, code, wparam, lparam);
}

} // namespace

bool translate_accelerators(MSG& message) {
    static HACCEL accelerators =
        LoadAcceleratorsA(the_app().instance, MAKEINTRESOURCEA(IDM_MAIN_ACCEL));
    // The Voice editor's own keys (Ctrl+Z, Ctrl+Y, Ctrl+K) first, while it has the focus;
    // the main window's act whichever window has it, and always go to the main window.
    return voice_editor_translate_accelerator(message) ||
           TranslateAcceleratorA(the_app().main_window, accelerators, &message) != 0;
}

accelerators_in_modal_loop::accelerators_in_modal_loop() {
    if (!filter_hook) {
        filter_hook =
            SetWindowsHookExA(WH_MSGFILTER, on_dialog_message, nullptr, GetCurrentThreadId());
        installed_ = filter_hook != nullptr;
    }
}

accelerators_in_modal_loop::~accelerators_in_modal_loop() {
    if (installed_) {
        UnhookWindowsHookEx(filter_hook);
        filter_hook = nullptr;
    }
}

} // namespace kavelo
