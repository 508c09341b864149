#pragma once
// An editor dialog's view over its controls and the portable session it drives, kept in
// the dialog's DWLP_USER slot from WM_INITDIALOG to WM_DESTROY. The view and the session
// take what they need of the main window from the editor's owner.

#include "app/editor_owner_win32.h"

#include <windows.h>

namespace kavelo {

template <typename View, typename Session> struct dialog_session {
    View view;
    Session session;
    template <typename State>
    dialog_session(HWND dialog, State& state, const editor_owner& owner)
        : view(dialog, owner), session(state, view, owner.opened_file()) {}
};

template <typename T> T* dialog_data(HWND dialog) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

template <typename T> T& attach_dialog_data(HWND dialog, T* data) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
    return *data;
}

template <typename T> void destroy_dialog_data(HWND dialog) {
    delete dialog_data<T>(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

} // namespace kavelo
