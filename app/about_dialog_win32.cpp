// The About box (dialog 103).

#include "app/app_win32.h"

namespace kavelo {

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE; // the system sets the default focus
    case WM_COMMAND: {
        const int command = LOWORD(wparam);
        // OK, or Cancel from Escape and the close box.
        if (command == IDOK || command == IDCANCEL) {
            EndDialog(dialog, command);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

} // namespace kavelo
