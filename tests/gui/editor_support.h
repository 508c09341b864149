#pragma once
// What the editor tests share: files of their own to edit, the bytes on disk, and the
// user's actions on dialog controls (typing into a field, choosing a list entry).

#include "kavelo_session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// Writes a fresh copy of the demo ROM (or of demo track `track`) under this test's name.
std::string fresh_demo_rom();
std::string fresh_demo_track(int track);

std::vector<uint8_t> file_bytes(const std::string& windows_path);
// Offsets at which two images differ (the shorter length is compared).
std::vector<std::size_t> changed_offsets(const std::vector<uint8_t>& before,
                                         const std::vector<uint8_t>& after);

// Replaces the text of an edit control as typing would (its EN_CHANGE follows).
void set_text(HWND control, const std::string& text);
// Selects entry `index` of a combo box and posts the selection change a user's pick sends.
void choose_combo_entry(HWND dialog, int control_id, int index);
int combo_selection(HWND combo);

// Waits until the Status log ends with `line` (CR LF included).
void wait_log_ends_with(kavelo_session& app, const std::string& line);
// Waits until a commit has logged `success_line` (CR LF included) after the log text
// `before`, together with the checksum note that a commit into a ROM image adds when the
// stored checksum no longer matches.
void wait_commit_logged(kavelo_session& app, const std::string& before,
                        const std::string& success_line);
inline constexpr char checksum_note_start[] = "  * Note: the cartridge checksum at 0x18E";

} // namespace gui
