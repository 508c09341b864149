#include "voice_editor/voice_dialog_view_win32.h"

#include "fm/preview_output_win32.h"
#include "resource.h"
#include "voice_editor/file_dialogs_win32.h"
#include "voice_editor/voice_editor_enabled_win32.h"
#include "voice_editor/voice_file_dialogs_win32.h"
#include "voice_editor_ids.h"

#include <commdlg.h>

#include <string>

namespace kavelo {

namespace {

void fill_list_box(HWND dialog, int id, const std::vector<std::string>& names) {
    send_item(dialog, id, LB_RESETCONTENT);
    for (const std::string& name : names) {
        send_item(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

} // namespace

LRESULT send_item(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageA(dialog, id, message, wparam, lparam);
}

voice_dialog_view::~voice_dialog_view() {
    for (HBITMAP bitmap : pictures_) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
    }
}

void voice_dialog_view::select(uint16_t id, int entry) {
    send_item(dialog_, id, CB_SETCURSEL, entry);
}

int voice_dialog_view::selection(uint16_t id) const {
    return static_cast<int>(send_item(dialog_, id, CB_GETCURSEL));
}

void voice_dialog_view::check(uint16_t id, bool checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool voice_dialog_view::checked(uint16_t id) const {
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

bool voice_dialog_view::ask_save_voice() {
    return MessageBoxA(dialog_, "Did you want to save the current voice?", "Prompt", MB_YESNO) ==
           IDYES;
}

void voice_dialog_view::show_message(std::string_view text, std::string_view title) {
    MessageBoxA(dialog_, std::string(text).c_str(), std::string(title).c_str(), MB_OK);
}

void voice_dialog_view::log(std::string_view line) {
    owner_.log(line);
}

void voice_dialog_view::show_algorithm_picture(int algorithm) {
    HBITMAP& picture = pictures_[static_cast<std::size_t>(algorithm)];
    if (!picture) {
        picture = static_cast<HBITMAP>(LoadImageA(owner_.instance,
                                                  MAKEINTRESOURCEA(IDB_ALGORITHM_0 + algorithm),
                                                  IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    }
    send_item(dialog_, IDC_ALGORITHM_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
              reinterpret_cast<LPARAM>(picture));
}

void voice_dialog_view::select_track(int selection) {
    send_item(dialog_, IDC_TRACK_LIST, CB_SETCURSEL, selection);
}

int voice_dialog_view::track_selection() const {
    return static_cast<int>(send_item(dialog_, IDC_TRACK_LIST, CB_GETCURSEL));
}

void voice_dialog_view::set_voice_list(int count) {
    send_item(dialog_, IDC_VOICE_LIST, CB_RESETCONTENT);
    for (int i = 0; i < count; ++i) {
        const std::string name = "Voice " + std::to_string(i);
        send_item(dialog_, IDC_VOICE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    send_item(dialog_, IDC_VOICE_LIST, CB_SETCURSEL, 0);
}

int voice_dialog_view::voice_selection() const {
    return static_cast<int>(send_item(dialog_, IDC_VOICE_LIST, CB_GETCURSEL));
}

void voice_dialog_view::set_import_list(const std::vector<std::string>& names) {
    fill_list_box(dialog_, IDC_IMPORT_LIST, names);
}

int voice_dialog_view::import_selection() const {
    return static_cast<int>(send_item(dialog_, IDC_IMPORT_LIST, LB_GETCURSEL));
}

void voice_dialog_view::set_export_list(const std::vector<std::string>& names, int selection) {
    fill_list_box(dialog_, IDC_EXPORT_LIST, names);
    send_item(dialog_, IDC_EXPORT_LIST, LB_SETCURSEL, static_cast<WPARAM>(selection));
}

int voice_dialog_view::export_selection() const {
    return static_cast<int>(send_item(dialog_, IDC_EXPORT_LIST, LB_GETCURSEL));
}

void voice_dialog_view::set_voice_name_field(std::string_view text) {
    SetDlgItemTextA(dialog_, IDC_VOICE_NAME, std::string(text).c_str());
}

std::optional<std::string> voice_dialog_view::choose_tx81z_file() {
    return ask_for_file(dialog_, owner_.instance, "Sysex Files (*.syx)", "*.syx", "syx",
                        OFN_FILEMUSTEXIST);
}

std::optional<std::string> voice_dialog_view::choose_bank_file() {
    return ask_for_file(dialog_, owner_.instance, "Orvana Ym2612 Bank Files (*.ymx)", "*.ymx",
                        "ymx", OFN_FILEMUSTEXIST);
}

std::optional<std::string> voice_dialog_view::choose_music_log_file() {
    return ask_for_file(dialog_, owner_.instance, "VGM Music Logs (*.vgm;*.vgz)", "*.vgm;*.vgz",
                        "vgm", OFN_FILEMUSTEXIST);
}

std::vector<std::string> voice_dialog_view::choose_instrument_files() {
    return ask_for_voice_files(dialog_, owner_.instance, voice_file_kind::single_voice);
}

std::vector<std::string> voice_dialog_view::choose_voice_bank_files() {
    return ask_for_voice_files(dialog_, owner_.instance, voice_file_kind::bank);
}

std::optional<std::string> voice_dialog_view::choose_voice_export_file() {
    return ask_for_voice_file_to_write(dialog_, owner_.instance, voice_file_kind::single_voice);
}

std::optional<std::string> voice_dialog_view::choose_bank_export_as_file() {
    return ask_for_voice_file_to_write(dialog_, owner_.instance, voice_file_kind::bank);
}

std::optional<std::string> voice_dialog_view::choose_bank_export_file() {
    // No flags: a new name may be typed, and an existing file is replaced.
    return ask_for_file(dialog_, owner_.instance, "Orvana Ym2612 Bank Files (*.ymx)", "*.ymx",
                        "ymx", 0);
}

void voice_dialog_view::show_enabled(const voice_editor_enabled& states) {
    voice_editor_apply_enabled(dialog_, states);
}

void voice_dialog_view::play_preview(const voice_record& voice, int note_index) {
    preview_voice(dialog_, voice, note_index, owner_.log);
}

} // namespace kavelo
