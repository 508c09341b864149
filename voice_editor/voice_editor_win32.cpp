// The Voice editor window: dialog 106 over voice_editor_session. Every user action is
// one call into the session; this file only moves data between controls and the model.

#include "voice_editor/voice_editor_win32.h"

#include "app/dialog_session_win32.h"
#include "app/window_placement_win32.h"
#include "keyboard/keyboard_window_win32.h"
#include "resource.h"
#include "rom/track_table.h"
#include "voice_editor/voice_dialog_view_win32.h"
#include "voice_editor/voice_edit_win32.h"
#include "voice_editor/voice_editor_enabled_win32.h"
#include "voice_editor/voice_editor_session.h"
#include "voice_editor_ids.h"

#include <string>

namespace kavelo {

namespace {

// Outlives the window: the next editor keeps the current voice, the clipboard and imports.
voice_editor_state editor_state;
HWND editor_window = nullptr;
// What the main window lent the editor when it was last opened.
editor_owner owner;

// While a track plays, its messages and its end are looked for this often.
constexpr UINT_PTR play_poll_timer = 1;
constexpr UINT play_poll_ms = 100;

using open_editor = dialog_session<voice_dialog_view, voice_editor_session>;

open_editor* editor_of(HWND dialog) {
    return dialog_data<open_editor>(dialog);
}

// Run after every command, when a menu opens and when a track ends, so the menus, the
// accelerators and the controls all see the model's states.
void show_enabled(HWND dialog, const voice_editor_session& session) {
    voice_editor_apply_enabled(dialog, voice_editor_enabled_states(session));
}

void add_entries(HWND dialog, int id, int first, int count, bool odd_numbers) {
    for (int k = first; k < first + count; ++k) {
        const std::string text = std::to_string(odd_numbers ? 2 * k + 1 : k);
        send_item(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

// What the editor lends its Keyboard window: the voice its controls show, the Status log.
keyboard_owner keyboard_owner_of(HWND dialog) {
    const auto shown_voice = [dialog] {
        const open_editor* editor = editor_of(dialog);
        return editor ? voice_editor_read_voice(editor->view) : voice_record{};
    };
    return keyboard_owner{owner.instance, dialog, shown_voice, owner.log};
}

void on_init_dialog(HWND dialog) {
    // Menu 143 comes with the template, so the dialog manager sizes the window around it.
    editor_window = dialog;
    open_editor& editor = attach_dialog_data(dialog, new open_editor(dialog, editor_state, owner));
    voice_editor_fill_lists(dialog);
    editor.session.open();
    send_item(dialog, IDC_VOICE_NAME, EM_LIMITTEXT, bank_name_length);
    show_enabled(dialog, editor.session);
    keyboard_attach_editor(keyboard_owner_of(dialog));
    place_beside_window(dialog, owner.main_window, right_first);
    SetTimer(dialog, play_poll_timer, play_poll_ms, nullptr);
}

void on_destroy(HWND dialog) {
    KillTimer(dialog, play_poll_timer);
    keyboard_detach_editor(dialog);
    destroy_dialog_data<open_editor>(dialog);
    if (editor_window == dialog) {
        editor_window = nullptr;
    }
}

// Commands by id: buttons and menu items.
void on_command_id(HWND dialog, voice_editor_session& session, int id) {
    switch (id) {
    case IDOK:
        session.save_to_rom();
        break;
    case IDCANCEL: // the menu's "Close" and the close box
        session.close();
        DestroyWindow(dialog);
        break;
    case IDC_PREVIEW:
        session.preview();
        break;
    case IDM_KEYBOARD_WINDOW:
        keyboard_window_open(dialog);
        break;
    case IDM_PLAY_TRACK:
        session.play_track();
        break;
    case IDM_STOP_TRACK:
        session.stop_track();
        break;
    case IDM_COPY_VOICE:
        session.copy_voice();
        break;
    case IDM_PASTE_VOICE:
        session.paste_voice();
        break;
    case IDM_IMPORT_TX81Z:
        session.import_tx81z();
        break;
    case IDM_IMPORT_YMX:
        session.import_bank();
        break;
    case IDM_IMPORT_VGM:
        session.import_music_log();
        break;
    case IDM_IMPORT_INSTRUMENT_FILES:
        session.import_instrument_files();
        break;
    case IDM_IMPORT_VOICE_BANK:
        session.import_voice_bank();
        break;
    case IDM_EXPORT_VOICE:
        session.export_voice();
        break;
    case IDM_EXPORT_BANK_AS:
        session.export_bank_as();
        break;
    case IDC_SEND_TO_VOICE:
        session.send_to_voice();
        break;
    case IDC_ADD_IMPORT_TO_BANK:
        session.add_import_entry();
        break;
    case IDC_EXPORT_DELETE:
        session.delete_export_entry();
        break;
    case IDC_EXPORT_UP:
        session.move_export_entry_up();
        break;
    case IDC_EXPORT_DOWN:
        session.move_export_entry_down();
        break;
    case IDC_EXPORT_CLEAR:
        session.clear_export_bank();
        break;
    case IDC_EXPORT_BANK:
        session.export_bank();
        break;
    case IDC_ADD_VOICE_TO_BANK:
        session.add_current_voice();
        break;
    default:
        voice_edit_command(session, id);
        break;
    }
}

// Notifications, forwarded by control id; the session decides what each control's report
// means. List boxes and drop-down lists share the selection-change code.
void on_notification(HWND dialog, voice_editor_session& session, int id, int code) {
    const auto control = static_cast<uint16_t>(id);
    switch (code) {
    case LBN_SELCHANGE:
        session.selection_changed(control);
        break;
    case BN_CLICKED:
        session.box_clicked(control);
        break;
    case LBN_DBLCLK:
        session.list_double_clicked(control);
        break;
    case EN_CHANGE: {
        char text[bank_name_length + 1] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        session.text_changed(control, text);
        break;
    }
    default:
        break;
    }
}

} // namespace

void voice_editor_fill_tracks(HWND dialog) {
    for (int i = 0; i < track_count; ++i) {
        send_item(dialog, IDC_TRACK_LIST, CB_INSERTSTRING, static_cast<WPARAM>(i),
                  reinterpret_cast<LPARAM>(std::string(track_table[i].name).c_str()));
    }
}

void voice_editor_fill_lists(HWND dialog) {
    if (!GetDlgItem(dialog, IDC_ALG_LIST)) {
        MessageBoxA(owner.main_window, "Cannot obtain handle to the ComboBoxes!", "ERROR!", MB_OK);
    }
    add_entries(dialog, IDC_ALG_LIST, 0, 8, false);
    add_entries(dialog, IDC_FBL_LIST, 0, 8, false);
    voice_editor_fill_tracks(dialog);
    for (const voice_field& field : voice_fields) {
        if (!field.per_operator || field.display == field_display::check_box) {
            continue;
        }
        for (int column = 0; column < 4; ++column) {
            add_entries(dialog, field.control_id + operator_column_step * column, 0, field.entries,
                        field.display == field_display::odd_numbers);
        }
    }
}

INT_PTR CALLBACK voice_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog(dialog);
        return FALSE;
    case WM_COMMAND:
        if (open_editor* editor = editor_of(dialog)) {
            on_command_id(dialog, editor->session, LOWORD(wparam));
        }
        // Close may have destroyed the window; then there is nothing left to notify.
        if (open_editor* editor = editor_of(dialog)) {
            on_notification(dialog, editor->session, LOWORD(wparam), HIWORD(wparam));
            show_enabled(dialog, editor->session);
            keyboard_editor_changed(dialog);      // held notes take any edit at once
            editor->session.follow_shown_voice(); // and so does a playing track
        }
        return FALSE;
    case WM_TIMER:
        if (open_editor* editor = editor_of(dialog); editor && editor->session.poll_track()) {
            show_enabled(dialog, editor->session);
        }
        return TRUE;
    case WM_CONTEXTMENU:
        if (open_editor* editor = editor_of(dialog)) {
            voice_edit_context_menu(dialog, owner.instance, editor->session,
                                    reinterpret_cast<HWND>(wparam), lparam);
        }
        return TRUE;
    case WM_INITMENUPOPUP:
        if (open_editor* editor = editor_of(dialog)) {
            show_enabled(dialog, editor->session);
        }
        return FALSE;
    case WM_DESTROY:
        on_destroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

bool voice_editor_holds_window(HWND root) {
    return root != nullptr && (root == editor_window || root == keyboard_window());
}

bool voice_editor_translate_accelerator(MSG& message) {
    if (editor_window == nullptr) {
        return false;
    }
    // Loaded with the first editor, from the instance its owner lent it.
    static HACCEL accelerators =
        LoadAcceleratorsA(owner.instance, MAKEINTRESOURCEA(IDM_VOICE_ACCEL));
    if (accelerators == nullptr ||
        (message.hwnd != editor_window && !IsChild(editor_window, message.hwnd))) {
        return false;
    }
    // The Voice Name field keeps Ctrl+Z for its own typing.
    if (message.hwnd == GetDlgItem(editor_window, IDC_VOICE_NAME)) {
        return false;
    }
    return TranslateAcceleratorA(editor_window, accelerators, &message) != 0;
}

void voice_editor_before_file_change() {
    if (open_editor* editor = editor_window ? editor_of(editor_window) : nullptr) {
        editor->session.ask_to_save();
    }
}

void voice_editor_file_opened() {
    if (open_editor* editor = editor_window ? editor_of(editor_window) : nullptr) {
        const rom_access file = owner.opened_file();
        editor->session.show_file(file.path, file.mode);
        show_enabled(editor_window, editor->session);
    }
}

bool voice_editor_open(const editor_owner& from) {
    if (editor_window) {
        SetForegroundWindow(editor_window);
        return true;
    }
    owner = from;
    HWND dialog = CreateDialogParamA(owner.instance, MAKEINTRESOURCEA(IDD_VOICE_EDITOR),
                                     owner.main_window, voice_editor_proc, 0);
    if (!dialog) {
        return false;
    }
    ShowWindow(dialog, SW_SHOW);
    return true;
}

} // namespace kavelo
