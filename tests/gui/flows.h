#pragma once
// The user tasks the GUI tests share, one helper each: KAVELO.exe started and File > Open,
// the Voice editor on a track and voice, a field set, Save to ROM or Commit To ROM, a voice
// file imported or written through a file dialog, and the file's bytes before and after.

#include "gui_test.h"

#include "header_editor_ids.h"
#include "resource.h"
#include "rom/voice_record.h"
#include "voice_editor_ids.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gui {

inline constexpr char main_title[] = "KAVELO (Vantorel)";
inline constexpr char main_class[] = "KAVELOVANTOREL";
inline constexpr char editor_title[] = "Edit Voice";
inline constexpr char header_title[] = "Edit General Track Properties";
inline constexpr char rom_line[] = "  * Opened compatible Brisco ROM\r\n";
inline constexpr char track_line[] = "  * Opened Binary Music Track\r\n";
inline constexpr char checksum_note_start[] = "  * Note: the cartridge checksum at 0x18E";

bool ends_with(const std::string& text, const std::string& end);

// Files under this test's own name in the work folder: a fresh demo ROM, demo track `track`.
std::string fresh_demo_rom();
std::string fresh_demo_track(int track);

std::vector<uint8_t> file_bytes(const std::string& windows_path);
// Offsets at which two images differ (the shorter length is compared).
std::vector<std::size_t> changed_offsets(const std::vector<uint8_t>& before,
                                         const std::vector<uint8_t>& after);
// Fails unless every byte that differs lies in one of the ranges {first, length}.
void expect_changes_within(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                           const std::vector<std::pair<std::size_t, std::size_t>>& ranges,
                           const std::string& what);

// Replaces the text of an edit control as typing would (its EN_CHANGE follows).
void set_text(HWND control, const std::string& text);
// Selects a combo box entry and sends the selection change: handled before this returns;
// fails if the handler does not return.
void user_picks(HWND dialog, int id, int entry);
// Waits until the dialog's thread has finished what it was doing and reads messages again.
void wait_idle(HWND dialog);
// The texts of a window's controls, each followed by "|".
std::string box_text(HWND box);

class kavelo_session {
  public:
    // Starts KAVELO.exe, with `arguments` on its command line when given.
    explicit kavelo_session(const std::string& arguments = {});

    app_process& process() { return process_; }
    DWORD pid() const { return process_.pid(); }
    HWND main() const { return main_; }
    HWND log() const { return log_; }
    std::string log_text() const { return window_text(log_); }

    // A dialog of the program with this title, or an open popup menu, which must appear.
    HWND dialog(const std::string& title, duration timeout = default_timeout);
    HWND popup_menu(duration timeout = default_timeout);
    // File > Open through the menu command; returns the Open dialog (owned by the main window).
    HWND open_dialog_from_menu();
    HWND wait_open_dialog();
    // Opens the file through the Open dialog and waits for the log to grow.
    void open_file(const std::string& windows_path);
    void cancel_dialog(HWND dialog);
    void wait_log_ends_with(const std::string& line);
    // Waits until a commit has logged `line` after the log text `before`, with the checksum
    // note that a commit into a ROM image adds when the stored checksum no longer matches.
    void wait_commit_logged(const std::string& before, const std::string& line);
    // A message box with this title and a text that holds `text`: shot as `label` when
    // given, then closed with OK.
    void expect_box(const std::string& title, const std::string& text,
                    const std::string& label = {});
    DWORD wait_exit(duration timeout = default_timeout);

  private:
    app_process process_;
    HWND main_ = nullptr;
    HWND log_ = nullptr;
};

// A session with a fresh demo ROM opened; `original` is the file as it was opened.
struct rom_session : kavelo_session {
    std::string rom = fresh_demo_rom();
    std::vector<uint8_t> original;
    rom_session() {
        open_file(rom);
        original = bytes();
    }
    std::vector<uint8_t> bytes() const { return file_bytes(rom); }
};

// A menu bar as the user reads it: "popup: item, -, item | popup: ...", each item with its
// command after "=" and "~" after a grayed one; or popup `index` alone.
std::string menu_text(HWND window, int index = -1);
std::string menu_entry(const std::string& text, int command, bool grayed = false);
// The main window's menu bar: File and Help before a file is open, then Tools too, with Fix
// Checksum for a ROM image.
enum class file_kind { none, bare_track, rom_image };
std::string main_menu(file_kind kind);

// Whether the log's newest line lies inside its visible area.
bool newest_line_visible(HWND log);

// Control id of a field in operator column `op` (1-4), given the OP1 column's id.
inline int op_control(int op, int op1_id) {
    return op1_id + IDC_OP_COLUMN_STEP * (op - 1);
}

// The Voice editor, opened from Tools, as a user works in it.
struct voice_editor {
    kavelo_session& app;
    HWND dialog;
    // Opens the editor, then chooses the track and voice when given (no prompt may come).
    explicit voice_editor(kavelo_session& app, int track = -1, int voice = -1);

    HWND item(int id) const { return dialog_item(dialog, id); }
    std::string shown(int id) const { return window_text(item(id)); }
    bool checked(int id) const { return SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::vector<std::string> list(int id) const { return items(item(id)); }
    // The voice the controls show, read as the editor reads them.
    kavelo::voice_record voice() const;
    void pick(int id, int entry) { user_picks(dialog, id, entry); }
    // The same for every operator's field.
    void pick_all(int op1_id, int entry);
    // Chooses a track or a voice; `answer` is the prompt button to press ("&Yes", "&No"), or
    // nullptr when no prompt may come. Returns once the change has been handled.
    void choose_track(int track, const char* answer = nullptr) {
        choose(IDC_TRACK_LIST, track, answer);
    }
    void choose_voice(int voice, const char* answer = nullptr) {
        choose(IDC_VOICE_LIST, voice, answer);
    }
    void choose(int id, int entry, const char* answer);
    // Presses a button whose command asks nothing, and returns once the command is done.
    void press(int id);
    // Selects a list box entry (sending its selection change), or double-clicks it.
    void select(int id, int entry);
    void double_click(int id);
    // "Save to ROM", waiting for the success line in the Status log.
    void save();
    // Runs a menu command that opens a file dialog, and answers it with `path`.
    void answer_file_dialog(int command, const std::string& path);
    // Imports through `command` and waits for `count` entries in the Import list.
    std::vector<std::string> import(int command, const std::string& path, std::size_t count);
    // Sends Import entry `entry` to the editor and waits until it shows `voice`.
    void send_to_voice(int entry, const kavelo::voice_record& voice, const std::string& what);
    // The file that the command just answered wrote, read once that command has finished, and
    // only if it raised no error box. Never polled while the program writes: the program
    // replaces a file whole, and a reader holding the old one open makes that replace fail.
    std::vector<uint8_t> written_file(const std::string& path);
};

// The Track Header Editor, opened from Tools.
struct header_editor {
    kavelo_session& app;
    HWND dialog;
    explicit header_editor(kavelo_session& app);
    HWND item(int id) const { return dialog_item(dialog, id); }
    std::string field(int id) const { return window_text(item(id)); }
    void type(int id, const std::string& text) { set_text(item(id), text); }
    void pick_track(int track) { user_picks(dialog, IDC_HEADER_TRACK_LIST, track); }
    // "Commit To ROM", waiting for the success line in the Status log.
    void commit();
    void close();
};

// The record the controls hold after showing `voice`: bits no control shows are zero.
kavelo::voice_record as_displayed(const kavelo::voice_record& voice);
// Where voice `index` of a ROM track lies in the image, and the voice stored there.
std::size_t voice_slot(const std::vector<uint8_t>& image, int track, int index);
kavelo::voice_record stored_voice(const std::vector<uint8_t>& image, int track, int index);
// Voice `index` of a bare track.
kavelo::voice_record bare_track_voice(const std::vector<uint8_t>& track, int index);

} // namespace gui
