#pragma once
// User actions on the Voice editor and what it shows, for the Voice editor tests.

#include "editor_support.h"

#include "resource.h"
#include "rom/voice_record.h"
#include "voice_editor_ids.h"

namespace gui {

inline constexpr char editor_title[] = "Edit Voice";
inline constexpr char saved_line[] = "  * Voice Edited successfully!\r\n";

HWND open_voice_editor(kavelo_session& app);
int count_dialogs(kavelo_session& app, const std::string& title);

// Control id of a field in operator column `op` (1-4), given the OP1 column's id.
inline int op_control(int op, int op1_id) {
    return op1_id + IDC_OP_COLUMN_STEP * (op - 1);
}

std::string shown(HWND dialog, int id); // the text a drop-down list shows
bool checked(HWND dialog, int id);

// A drop-down list pick as the user's sends it, handled before this returns (either
// editor). Fails the test if the handler does not return, for instance because it asks.
void user_picks(HWND dialog, int id, int entry);
// Chooses a track or a voice; `answer` is the prompt button to press ("&Yes", "&No"), or
// nullptr when no prompt may come. Returns once the change has been handled.
void choose_track(kavelo_session& app, HWND dialog, int track, const char* answer);
void choose_voice(kavelo_session& app, HWND dialog, int voice, const char* answer);
// Presses a button whose command asks nothing, and returns once the command is done.
void press_button(HWND dialog, int id);
// Selects an entry of a list box and sends its selection change.
void select_list_entry(HWND dialog, int id, int entry);

// The voice the controls show, read as the editor reads them.
kavelo::voice_record displayed_voice(HWND dialog);

// "Save to ROM", waiting for the success line in the Status log.
void save_to_rom(kavelo_session& app, HWND dialog);

// Where voice `index` of a ROM track lies in the image, and the voice stored there.
std::size_t voice_slot(const std::vector<uint8_t>& image, int track, int index);
kavelo::voice_record stored_voice(const std::vector<uint8_t>& image, int track, int index);

} // namespace gui

namespace gui {

// The record the controls hold after showing `voice`: bits no control shows are zero.
kavelo::voice_record as_displayed(const kavelo::voice_record& voice);

// Runs a menu command of the editor that opens a file dialog, and answers it with `path`.
void answer_file_dialog(kavelo_session& app, HWND dialog, int command, const std::string& path);

// Waits until the dialog's thread has finished what it was doing and reads messages again.
void wait_idle(HWND dialog);
// The file that the command just answered wrote, read once that command has finished, and
// only if it raised no error box. Never polled while the program writes: the program
// replaces a file whole, and a reader holding the old one open makes that replace fail.
std::vector<uint8_t> written_file(kavelo_session& app, HWND dialog, const std::string& path);

} // namespace gui
