#pragma once
// The user tasks the GUI tests share, one function each: the program started, a file opened, a
// track and voice chosen, a field set, committed, and the file's bytes before and after.

#include "gui_test.h"

#include "header_editor_ids.h"
#include "resource.h"
#include "rom/voice_record.h"
#include "voice_editor_ids.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

inline constexpr char main_class[] = "KAVELOVANTOREL";
inline constexpr char rom_line[] = "  * Opened compatible Brisco ROM\r\n";
inline constexpr char track_line[] = "  * Opened Binary Music Track\r\n";

bool contains(const std::string& text, const std::string& part);

// Files under this test's own name in the work folder.
std::string fresh_demo_rom();
std::string fresh_demo_track(int track);
std::string work_path(const std::string& name);

std::vector<uint8_t> file_bytes(const std::string& windows_path);
// An edit control's text replaced as typing would (EN_CHANGE follows).
void set_text(HWND control, const std::string& text);
// A combo box entry chosen; returns once the dialog has handled the change.
void user_picks(HWND dialog, int id, int entry);
// The texts of a window's controls, each followed by "|".
std::string box_text(HWND box);

class kavelo_session {
  public:
    explicit kavelo_session(const std::string& arguments = {});

    DWORD pid() const { return process_.pid(); }
    HWND main() const { return main_; }
    std::string log_text() const { return window_text(log_); }

    // A dialog of the program with this title; fails unless it appears.
    HWND dialog(const std::string& title, duration timeout = default_timeout);
    // The Open dialog, owned by the main window.
    HWND wait_open_dialog();
    // File > Open answered with the path; returns once the Status log has grown.
    void open_file(const std::string& windows_path);
    void cancel_dialog(HWND dialog);
    void wait_log_ends_with(const std::string& line);
    // The log grew from `before` by lines that hold `line` (a ROM image adds a checksum note).
    void wait_commit_logged(const std::string& before, const std::string& line);
    // A box with this title whose text holds `text`: shot as `label` when given, closed by OK.
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

// A menu item as menu_text shows it.
std::string menu_entry(const std::string& text, int command, bool grayed = false);
// The main window's menu bar: Tools once a file is open, Fix Checksum for a ROM image.
enum class file_kind { none, bare_track, rom_image };
void expect_main_menu(const kavelo_session& app, file_kind kind);

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
    std::vector<std::string> list(int id) const { return items(item(id)); }
    // The voice the controls show: each field's list entry or check box.
    kavelo::voice_record voice() const;
    void pick(int id, int entry) { user_picks(dialog, id, entry); }
    // A track or voice (IDC_TRACK_LIST, IDC_VOICE_LIST) chosen; `answer` presses that prompt
    // button ("&Yes", "&No"), nullptr when no prompt may come. Returns once it is handled.
    void choose(int id, int entry, const char* answer = nullptr);
    void wait_shown(int id, const std::string& text, const std::string& what) const;
    // A button whose command asks nothing, pressed; returns once the command is done.
    void press(int id);
    void select(int id, int entry); // a list box entry, with its selection change
    void save();                    // Save to ROM, and its line in the Status log
    // A menu command that opens a file dialog, answered with `path`; shot as `label` if given.
    void answer_file_dialog(int command, const std::string& path, const std::string& label = {});
    // Imported through `command`; the Import list once it holds `count` entries.
    std::vector<std::string> import(int command, const std::string& path, std::size_t count);
    // The file the last command wrote, read once it has finished: a reader holding the old
    // file open would make the program's replace fail.
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
    void commit(); // Commit To ROM, and its line in the Status log
    void close();
};

uint32_t track_start(int track);
// The record the controls hold after showing `voice`: bits no control shows are zero.
kavelo::voice_record as_displayed(const kavelo::voice_record& voice);
// The voice stored at `slot`; where voice `index` of a ROM track lies, and the voice there.
kavelo::voice_record voice_at(const std::vector<uint8_t>& image, std::size_t slot);
std::size_t voice_slot(const std::vector<uint8_t>& image, int track, int index);
kavelo::voice_record stored_voice(const std::vector<uint8_t>& image, int track, int index);
// The image with `voice` stored as voice `index` of the track.
std::vector<uint8_t> with_voice(std::vector<uint8_t> image, int track, int index,
                                const kavelo::voice_record& voice);

} // namespace gui
