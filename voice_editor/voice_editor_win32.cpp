// The Voice editor window: dialog 106 over voice_editor_session. Every user action is
// one call into the session; this file only moves data between controls and the model.

#include "voice_editor/voice_editor_win32.h"

#include "app/app_win32.h"
#include "app/dialog_session_win32.h"
#include "fm/preview_output_win32.h"
#include "keyboard/keyboard_window_win32.h"
#include "resource.h"
#include "rom/track_table.h"
#include "voice_editor/file_dialogs_win32.h"
#include "voice_editor/voice_edit_win32.h"
#include "voice_editor/voice_editor_session.h"
#include "voice_editor/voice_file_dialogs_win32.h"
#include "voice_editor_ids.h"

#include <commdlg.h>

#include <string>

namespace kavelo {

namespace {

LRESULT send_item(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendDlgItemMessageA(dialog, id, message, wparam, lparam);
}

void fill_list_box(HWND dialog, int id, const std::vector<std::string>& names) {
    send_item(dialog, id, LB_RESETCONTENT);
    for (const std::string& name : names) {
        send_item(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

class voice_dialog_view : public voice_editor_view {
  public:
    explicit voice_dialog_view(HWND dialog) : dialog_(dialog) {}
    ~voice_dialog_view() override {
        for (HBITMAP bitmap : pictures_) {
            if (bitmap) {
                DeleteObject(bitmap);
            }
        }
    }
    voice_dialog_view(const voice_dialog_view&) = delete;
    voice_dialog_view& operator=(const voice_dialog_view&) = delete;

    void select(uint16_t id, int entry) override { send_item(dialog_, id, CB_SETCURSEL, entry); }
    int selection(uint16_t id) const override {
        return static_cast<int>(send_item(dialog_, id, CB_GETCURSEL));
    }
    void check(uint16_t id, bool checked) override {
        CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool checked(uint16_t id) const override {
        return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
    }

    bool ask_save_voice() override {
        return MessageBoxA(dialog_, "Did you want to save the current voice?", "Prompt",
                           MB_YESNO) == IDYES;
    }
    void show_message(std::string_view text, std::string_view title) override {
        MessageBoxA(dialog_, std::string(text).c_str(), std::string(title).c_str(), MB_OK);
    }
    void log(std::string_view line) override { status_log_append(line); }

    void show_algorithm_picture(int algorithm) override {
        HBITMAP& picture = pictures_[static_cast<std::size_t>(algorithm)];
        if (!picture) {
            picture = static_cast<HBITMAP>(LoadImageA(the_app().instance,
                                                      MAKEINTRESOURCEA(IDB_ALGORITHM_0 + algorithm),
                                                      IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        }
        send_item(dialog_, IDC_ALGORITHM_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                  reinterpret_cast<LPARAM>(picture));
    }
    void set_track_list(bool enabled, int selection) override {
        EnableWindow(GetDlgItem(dialog_, IDC_TRACK_LIST), enabled);
        send_item(dialog_, IDC_TRACK_LIST, CB_SETCURSEL, selection);
    }
    int track_selection() const override {
        return static_cast<int>(send_item(dialog_, IDC_TRACK_LIST, CB_GETCURSEL));
    }
    void set_voice_list(int count) override {
        send_item(dialog_, IDC_VOICE_LIST, CB_RESETCONTENT);
        for (int i = 0; i < count; ++i) {
            const std::string name = "Voice " + std::to_string(i);
            send_item(dialog_, IDC_VOICE_LIST, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(name.c_str()));
        }
        send_item(dialog_, IDC_VOICE_LIST, CB_SETCURSEL, 0);
    }
    int voice_selection() const override {
        return static_cast<int>(send_item(dialog_, IDC_VOICE_LIST, CB_GETCURSEL));
    }

    void set_import_list(const std::vector<std::string>& names) override {
        fill_list_box(dialog_, IDC_IMPORT_LIST, names);
    }
    int import_selection() const override {
        return static_cast<int>(send_item(dialog_, IDC_IMPORT_LIST, LB_GETCURSEL));
    }
    void set_export_list(const std::vector<std::string>& names, int selection) override {
        fill_list_box(dialog_, IDC_EXPORT_LIST, names);
        send_item(dialog_, IDC_EXPORT_LIST, LB_SETCURSEL, static_cast<WPARAM>(selection));
    }
    int export_selection() const override {
        return static_cast<int>(send_item(dialog_, IDC_EXPORT_LIST, LB_GETCURSEL));
    }
    void set_voice_name_field(std::string_view text) override {
        SetDlgItemTextA(dialog_, IDC_VOICE_NAME, std::string(text).c_str());
    }

    std::optional<std::string> choose_tx81z_file() override {
        return ask_for_file(dialog_, "Sysex Files (*.syx)", "*.syx", "syx", OFN_FILEMUSTEXIST);
    }
    std::optional<std::string> choose_bank_file() override {
        return ask_for_file(dialog_, "Orvana Ym2612 Bank Files (*.ymx)", "*.ymx", "ymx",
                            OFN_FILEMUSTEXIST);
    }
    std::optional<std::string> choose_music_log_file() override {
        return ask_for_file(dialog_, "VGM Music Logs (*.vgm;*.vgz)", "*.vgm;*.vgz", "vgm",
                            OFN_FILEMUSTEXIST);
    }
    std::vector<std::string> choose_instrument_files() override {
        return ask_for_voice_files(dialog_, voice_file_kind::single_voice);
    }
    std::vector<std::string> choose_voice_bank_files() override {
        return ask_for_voice_files(dialog_, voice_file_kind::bank);
    }
    std::optional<std::string> choose_voice_export_file() override {
        return ask_for_voice_file_to_write(dialog_, voice_file_kind::single_voice);
    }
    std::optional<std::string> choose_bank_export_as_file() override {
        return ask_for_voice_file_to_write(dialog_, voice_file_kind::bank);
    }
    std::optional<std::string> choose_bank_export_file() override {
        // No flags: a new name may be typed, and an existing file is replaced.
        return ask_for_file(dialog_, "Orvana Ym2612 Bank Files (*.ymx)", "*.ymx", "ymx", 0);
    }

    void set_preview_enabled(bool enabled) override {
        EnableWindow(GetDlgItem(dialog_, IDC_PREVIEW), enabled);
    }
    void play_preview(const voice_record& voice, int note_index) override {
        preview_voice(dialog_, voice, note_index);
    }

  private:
    HWND dialog_;
    std::array<HBITMAP, 8> pictures_{};
};

// Outlives the window: the next editor keeps the current voice, the clipboard and imports.
voice_editor_state editor_state;
HWND editor_window = nullptr;

using open_editor = dialog_session<voice_dialog_view, voice_editor_session>;

open_editor* editor_of(HWND dialog) {
    return dialog_data<open_editor>(dialog);
}

void add_entries(HWND dialog, int id, int first, int count, bool odd_numbers) {
    for (int k = first; k < first + count; ++k) {
        const std::string text = std::to_string(odd_numbers ? 2 * k + 1 : k);
        send_item(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void on_init_dialog(HWND dialog) {
    // Menu 143 comes with the template, so the dialog manager sizes the window around it.
    editor_window = dialog;
    open_editor& editor = attach_dialog_data(dialog, new open_editor(dialog, editor_state));
    voice_editor_fill_lists(dialog);
    editor.session.open();
    send_item(dialog, IDC_VOICE_NAME, EM_LIMITTEXT, bank_name_length);
    voice_edit_update_menu(dialog, editor.session);
    keyboard_attach_editor(dialog);
    place_beside_window(dialog, the_app().main_window, right_first);
}

void on_destroy(HWND dialog) {
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

// Notifications: list selections (code 1 for list boxes and drop-down lists alike),
// double-clicks in the Import list and typing in the Voice Name field.
void on_notification(HWND dialog, voice_editor_session& session, int id, int code) {
    if (code == LBN_SELCHANGE) {
        if (id == IDC_EXPORT_LIST) {
            session.show_export_name();
        }
        if (id != IDC_TRACK_LIST && id != IDC_VOICE_LIST) {
            session.list_selection_changed();
            session.control_changed(static_cast<uint16_t>(id));
        }
        if (id == IDC_ALG_LIST) {
            session.change_algorithm();
        } else if (id == IDC_TRACK_LIST) {
            session.choose_track();
        } else if (id == IDC_VOICE_LIST) {
            session.choose_voice();
        }
    } else if (code == BN_CLICKED) {
        session.control_changed(static_cast<uint16_t>(id)); // an AME box is an undo step
    } else if (code == LBN_DBLCLK && id == IDC_IMPORT_LIST) {
        session.add_import_entry();
    } else if (code == EN_CHANGE && id == IDC_VOICE_NAME) {
        char name[bank_name_length + 1] = {};
        GetDlgItemTextA(dialog, IDC_VOICE_NAME, name, sizeof name);
        session.rename_export_entry(name);
    }
}

} // namespace

void voice_editor_fill_tracks(HWND dialog) {
    if (the_app().mode == file_mode::bare_track) {
        EnableWindow(GetDlgItem(dialog, IDC_TRACK_LIST), FALSE);
    }
    for (int i = 0; i < track_count; ++i) {
        send_item(dialog, IDC_TRACK_LIST, CB_INSERTSTRING, static_cast<WPARAM>(i),
                  reinterpret_cast<LPARAM>(std::string(track_table[i].name).c_str()));
    }
}

void voice_editor_fill_lists(HWND dialog) {
    if (!GetDlgItem(dialog, IDC_ALG_LIST)) {
        MessageBoxA(the_app().main_window, "Cannot obtain handle to the ComboBoxes!", "ERROR!",
                    MB_OK);
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
            voice_edit_update_menu(dialog, editor->session);
            keyboard_editor_changed(dialog); // held notes take any edit at once
        }
        return FALSE;
    case WM_CONTEXTMENU:
        if (open_editor* editor = editor_of(dialog)) {
            voice_edit_context_menu(dialog, editor->session, reinterpret_cast<HWND>(wparam),
                                    lparam);
        }
        return TRUE;
    case WM_INITMENUPOPUP:
        if (open_editor* editor = editor_of(dialog)) {
            voice_edit_update_menu(dialog, editor->session);
        }
        return FALSE;
    case WM_DESTROY:
        on_destroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

HWND voice_editor_window() {
    return editor_window;
}

bool voice_editor_translate_accelerator(MSG& message) {
    static HACCEL accelerators =
        LoadAcceleratorsA(the_app().instance, MAKEINTRESOURCEA(IDM_VOICE_ACCEL));
    if (editor_window == nullptr || accelerators == nullptr ||
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
        editor->session.show_file(the_app().rom_path.data(), the_app().mode);
        voice_edit_update_menu(editor_window, editor->session);
    }
}

bool voice_editor_open() {
    if (editor_window) {
        SetForegroundWindow(editor_window);
        return true;
    }
    HWND dialog = CreateDialogParamA(the_app().instance, MAKEINTRESOURCEA(IDD_VOICE_EDITOR),
                                     the_app().main_window, voice_editor_proc, 0);
    if (!dialog) {
        return false;
    }
    ShowWindow(dialog, SW_SHOW);
    return true;
}

} // namespace kavelo
