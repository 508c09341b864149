// The Track Header Editor window: dialog 144 over header_editor_session.

#include "header_editor/header_editor_win32.h"

#include "app/dialog_session_win32.h"
#include "app/window_placement_win32.h"
#include "header_editor/header_editor_enabled_win32.h"
#include "header_editor/header_editor_session.h"
#include "header_editor_ids.h"
#include "resource.h"
#include "rom/track_table.h"
#include "sound/direct_sound_stream_win32.h"

#include <string>

namespace kavelo {

namespace {

// The dialog's controls as the session sees them.
class header_dialog_view : public header_editor_view {
  public:
    header_dialog_view(HWND dialog, const editor_owner& owner)
        : dialog_(dialog), log_(owner.log), track_sound_(dialog) {}

    void set_field_text(uint16_t control_id, std::string_view text) override {
        SetDlgItemTextA(dialog_, control_id, std::string(text).c_str());
    }
    std::string field_text(uint16_t control_id) const override {
        char text[16] = {};
        GetDlgItemTextA(dialog_, control_id, text, sizeof text);
        return text;
    }
    void show_enabled(const header_editor_enabled& states) override {
        header_editor_apply_enabled(dialog_, states);
    }
    void set_track_list(bool filled, int selection) override {
        // Another file may be shown in the same dialog: its names replace the earlier ones.
        SendDlgItemMessageA(dialog_, IDC_HEADER_TRACK_LIST, CB_RESETCONTENT, 0, 0);
        if (filled) {
            header_editor_fill_tracks(dialog_);
        }
        SendDlgItemMessageA(dialog_, IDC_HEADER_TRACK_LIST, CB_SETCURSEL, filled ? selection : -1,
                            0);
    }
    int track_selection() const override {
        return static_cast<int>(
            SendDlgItemMessageA(dialog_, IDC_HEADER_TRACK_LIST, CB_GETCURSEL, 0, 0));
    }
    void show_message(std::string_view text, std::string_view title) override {
        MessageBoxA(dialog_, std::string(text).c_str(), std::string(title).c_str(), MB_OK);
    }
    void log(std::string_view line) override { log_(line); }
    sound_stream& track_sound() override { return track_sound_; }
    void show_playing(bool playing) override {
        SetDlgItemTextA(dialog_, IDC_HEADER_PLAY, playing ? "Stop" : "Play");
    }

  private:
    HWND dialog_;
    log_sink log_; // the Status log
    direct_sound_stream track_sound_;
};

// The header copy and track offset outlive the dialog, as the next one starts afresh
// from the file anyway.
header_editor_state editor_state;

// The one open editor; the Tools command brings it forward rather than nesting another.
HWND open_dialog = nullptr;
// What the main window lent the editor when it was last opened.
editor_owner owner;

// While a track plays, its messages and its end are looked for this often.
constexpr UINT_PTR play_poll_timer = 1;
constexpr UINT play_poll_ms = 100;

using open_editor = dialog_session<header_dialog_view, header_editor_session>;

open_editor* editor_of(HWND dialog) {
    return dialog_data<open_editor>(dialog);
}

void on_init_dialog(HWND dialog) {
    open_editor& editor = attach_dialog_data(dialog, new open_editor(dialog, editor_state, owner));
    open_dialog = dialog;
    editor.session.open();
    place_beside_window(dialog, owner.main_window, right_first);
    SetTimer(dialog, play_poll_timer, play_poll_ms, nullptr);
}

void on_destroy(HWND dialog) {
    KillTimer(dialog, play_poll_timer);
    destroy_dialog_data<open_editor>(dialog);
    open_dialog = nullptr;
}

void on_command(HWND dialog, open_editor& editor, WORD id, WORD code) {
    if (id == IDOK) { // "Commit To ROM", also Enter
        editor.session.commit();
    } else if (id == IDCANCEL) { // "Close", also Escape and the close box
        editor.session.close();
        EndDialog(dialog, 0);
        return;
    } else if (id == IDC_HEADER_PLAY) {
        editor.session.play_or_stop();
    }
    if (code == CBN_SELCHANGE) {
        if (id == IDC_HEADER_TRACK_LIST) {
            editor.session.choose_track();
        } else {
            editor.session.show();
        }
    }
}

} // namespace

void header_editor_fill_tracks(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_HEADER_TRACK_LIST);
    // Inserted at explicit positions, so a position is a track index despite CBS_SORT.
    for (int i = 0; i < track_count; ++i) {
        SendMessageA(list, CB_INSERTSTRING, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(std::string(track_table[i].name).c_str()));
    }
}

INT_PTR CALLBACK header_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog(dialog);
        return FALSE; // the system does not set the default focus
    case WM_COMMAND:
        if (open_editor* editor = editor_of(dialog)) {
            on_command(dialog, *editor, LOWORD(wparam), HIWORD(wparam));
        }
        return FALSE;
    case WM_TIMER:
        if (open_editor* editor = editor_of(dialog)) {
            editor->session.poll_track();
        }
        return TRUE;
    case WM_DESTROY:
        on_destroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

void header_editor_file_opened() {
    if (open_editor* editor = open_dialog ? editor_of(open_dialog) : nullptr) {
        const rom_access file = owner.opened_file();
        editor->session.show_file(file.path, file.mode);
    }
}

void header_editor_open(const editor_owner& from) {
    if (open_dialog) {
        SetForegroundWindow(open_dialog);
        return;
    }
    owner = from;
    DialogBoxParamA(owner.instance, MAKEINTRESOURCEA(IDD_HEADER_EDITOR), nullptr,
                    header_editor_proc, 0);
}

} // namespace kavelo
