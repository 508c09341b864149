// Routes the Voice editor's editing commands into its session; the model decides.

#include "voice_editor/voice_edit_win32.h"

#include "resource.h"
#include "voice_editor/voice_editor_enabled_win32.h"
#include "voice_editor/voice_editor_session.h"
#include "voice_editor_ids.h"

#include <windowsx.h>

#include <array>
#include <utility>

namespace kavelo {

namespace {

// IDM_SWAP_OP1_OP2 + i swaps the pair i.
constexpr std::array<std::pair<int, int>, 6> swap_pairs{
    {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}};

constexpr int last_operator_control = IDC_OP1_AME + 3 * IDC_OP_COLUMN_STEP;

// The operator (1-4) whose column holds the control, or 0.
int operator_of_control(int id) {
    if (id < IDC_OP1_DET || id > last_operator_control) {
        return 0;
    }
    return (id - IDC_OP1_DET) / IDC_OP_COLUMN_STEP + 1;
}

// The operator whose group box holds the point; the template lays the columns out left to
// right as OP4, OP3, OP2, OP1 at x 50 + 40k, y 107, 38 x 147 dialog units.
int operator_at(HWND dialog, POINT client) {
    for (int k = 0; k < 4; ++k) {
        RECT box{50 + 40 * k, 107, 50 + 40 * k + 38, 107 + 147};
        MapDialogRect(dialog, &box);
        if (PtInRect(&box, client)) {
            return 4 - k;
        }
    }
    return 0;
}

} // namespace

bool voice_edit_command(voice_editor_session& session, int command) {
    switch (command) {
    case IDM_UNDO:
        session.undo();
        return true;
    case IDM_REDO:
        session.redo();
        return true;
    case IDM_REVERT_VOICE:
        session.revert_voice();
        return true;
    default:
        break;
    }
    if (command >= IDM_COPY_OPERATOR_1 && command < IDM_COPY_OPERATOR_1 + 4) {
        session.copy_operator(command - IDM_COPY_OPERATOR_1 + 1);
        return true;
    }
    if (command >= IDM_PASTE_OPERATOR_1 && command < IDM_PASTE_OPERATOR_1 + 4) {
        session.paste_operator(command - IDM_PASTE_OPERATOR_1 + 1);
        return true;
    }
    if (command >= IDM_SWAP_OP1_OP2 && command <= IDM_SWAP_OP3_OP4) {
        const auto [first, second] =
            swap_pairs[static_cast<std::size_t>(command - IDM_SWAP_OP1_OP2)];
        session.swap_operators(first, second);
        return true;
    }
    return false;
}

void voice_edit_context_menu(HWND dialog, HINSTANCE instance, const voice_editor_session& session,
                             HWND clicked, LPARAM point) {
    POINT screen{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    int op = 0;
    if (point == -1) { // Shift+F10 or the menu key: the focused control's column
        HWND focus = GetFocus();
        op = operator_of_control(GetDlgCtrlID(focus));
        RECT rect{};
        GetWindowRect(focus, &rect);
        screen = {rect.left, rect.bottom};
    } else {
        if (clicked != dialog) {
            op = operator_of_control(GetDlgCtrlID(clicked));
        }
        if (op == 0) {
            POINT client = screen;
            ScreenToClient(dialog, &client);
            op = operator_at(dialog, client);
        }
    }
    if (op == 0) {
        return;
    }
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_OPERATOR_MENU));
    if (menu == nullptr) {
        return;
    }
    voice_editor_apply_enabled(dialog, voice_editor_enabled_states(session), menu);
    HMENU popup = GetSubMenu(menu, op - 1);
    // The chosen item arrives as an ordinary WM_COMMAND to the dialog.
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, dialog, nullptr);
    DestroyMenu(menu);
}

} // namespace kavelo
