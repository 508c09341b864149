#include "flows.h"

#include "demo/demo_rom.h"
#include "header_editor/header_fields.h"
#include "rom/track_table.h"
#include "voice_editor/voice_fields.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace gui {

namespace {

void send_handled(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                  const std::string& what) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, 8000, &result)) {
        fail(what + " did not return (an unexpected prompt?)");
    }
}

// Returns once the dialog's thread is back at its message loop.
void wait_idle(HWND dialog) {
    send_handled(dialog, WM_NULL, 0, 0, "the dialog's message loop");
}

// An entry of a list or combo box selected, and the control's notification handled.
void select_entry(HWND dialog, int id, UINT select_message, WORD code, int entry) {
    HWND control = dialog_item(dialog, id);
    SendMessageA(control, select_message, static_cast<WPARAM>(entry), 0);
    send_handled(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control),
                 "control " + std::to_string(id) + "'s notification");
}

} // namespace

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string work_path(const std::string& name) {
    return environment().work_dir + "\\" + current_test() + "-" + name;
}

std::string fresh_demo_rom() {
    return write_work_file(current_test() + "-rom.bin", kavelo::make_demo_rom());
}

std::string fresh_demo_track(int track) {
    return write_work_file(current_test() + "-track.bin", kavelo::make_demo_track(track));
}

std::vector<uint8_t> file_bytes(const std::string& windows_path) {
    std::ifstream in(windows_path, std::ios::binary);
    if (!in) {
        fail("cannot read " + windows_path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void set_text(HWND control, const std::string& text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void user_picks(HWND dialog, int id, int entry) {
    select_entry(dialog, id, CB_SETCURSEL, CBN_SELCHANGE, entry);
}

std::string box_text(HWND box) {
    std::string text;
    for (HWND child : child_windows(box)) {
        text += window_text(child) + "|";
    }
    return text;
}

kavelo_session::kavelo_session(const std::string& arguments)
    : process_(environment().app_path, arguments), main_(wait_window(pid(), main_class)) {
    expect(main_ != nullptr, std::string("a window of class ") + main_class + " appears");
    log_ = GetDlgItem(main_, IDC_STATUS_LOG);
    expect(log_ != nullptr, "the main window has a Status log");
}

HWND kavelo_session::dialog(const std::string& title, duration timeout) {
    HWND found = wait_window(pid(), dialog_class, title, timeout);
    expect(found != nullptr, "the \"" + title + "\" window appears");
    return found;
}

HWND kavelo_session::wait_open_dialog() {
    HWND open = dialog("Open");
    expect(GetWindow(open, GW_OWNER) == main_, "the Open dialog is owned by the main window");
    return open;
}

void kavelo_session::open_file(const std::string& windows_path) {
    const std::string before = log_text();
    post_command(main_, IDM_OPEN);
    HWND open = wait_open_dialog();
    fill_file_dialog(open, windows_path);
    expect(wait_gone(open), "the Open dialog closes after OK");
    expect_soon([&] { return log_text() != before; },
                "the Status log gets a line after opening " + windows_path);
}

void kavelo_session::cancel_dialog(HWND dialog) {
    click_button(dialog_item(dialog, IDCANCEL));
    expect(wait_gone(dialog), "the dialog closes on Cancel");
}

void kavelo_session::wait_log_ends_with(const std::string& line) {
    if (!wait_until([&] { return log_text().ends_with(line); })) {
        fail("the Status log does not end with \"" + line + "\"; it holds:\n" + log_text());
    }
}

void kavelo_session::wait_commit_logged(const std::string& before, const std::string& line) {
    const auto logged = [&] {
        const std::string log = log_text();
        return log.rfind(before, 0) == 0 && contains(log.substr(before.size()), line);
    };
    if (!wait_until(logged)) {
        fail("the Status log does not show \"" + line + "\" after the commit; it holds:\n" +
             log_text());
    }
}

void kavelo_session::expect_box(const std::string& title, const std::string& text,
                                const std::string& label) {
    HWND box = dialog(title);
    const std::string seen = box_text(box);
    expect(contains(seen, text),
           "the \"" + title + "\" box says \"" + text + "\"; it shows " + seen);
    if (!label.empty()) {
        save_screenshot({box}, label);
    }
    expect(answer_message_box(pid(), title, "OK"), "OK closes the \"" + title + "\" box");
}

DWORD kavelo_session::wait_exit(duration timeout) {
    DWORD code = 0;
    expect(process_.wait_exit(code, timeout), "the program ends");
    return code;
}

std::string menu_entry(const std::string& text, int command, bool grayed) {
    return text + "=" + std::to_string(command) + (grayed ? "~" : "");
}

void expect_main_menu(const kavelo_session& app, file_kind kind) {
    const std::string file = "&File: " + menu_entry("&Open\tCtrl+O", IDM_OPEN) + ", -, " +
                             menu_entry("E&xit\tAlt+F4", IDM_EXIT);
    expect_equal(
        menu_text(app.main()),
        kind == file_kind::none
            ? file + " | &Help: " + menu_entry("&About ...\t F1", IDM_ABOUT)
            : file + " | &Tools: " + menu_entry("Track Header Editor", IDM_TRACK_HEADER_EDITOR) +
                  ", " + menu_entry("Voice Editor", IDM_VOICE_EDITOR) +
                  (kind == file_kind::rom_image
                       ? ", " + menu_entry("Fix Checksum", IDM_FIX_CHECKSUM)
                       : "") +
                  " | &Help: " + menu_entry("&About ...", IDM_ABOUT),
        "the menu bar");
}

voice_editor::voice_editor(kavelo_session& session, int track, int voice) : app(session) {
    post_command(app.main(), IDM_VOICE_EDITOR);
    dialog = app.dialog("Edit Voice");
    if (track >= 0) {
        choose(IDC_TRACK_LIST, track);
    }
    if (voice >= 0) {
        choose(IDC_VOICE_LIST, voice);
    }
}

kavelo::voice_record voice_editor::voice() const {
    kavelo::voice_record shown{};
    for (const kavelo::field_control& control : kavelo::voice_field_controls()) {
        const bool box = control.field->display == kavelo::field_display::check_box;
        const auto value =
            SendMessageA(item(control.control_id), box ? BM_GETCHECK : CB_GETCURSEL, 0, 0);
        kavelo::set_field_value(shown, control, value < 0 ? 0 : static_cast<int>(value));
    }
    return shown;
}

void voice_editor::choose(int id, int entry, const char* answer) {
    if (!answer) {
        return pick(id, entry);
    }
    // Posted: the handler waits on the box the pick raises.
    SendMessageA(item(id), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(item(id)));
    expect(answer_message_box(app.pid(), "Prompt", answer),
           "the change asks \"Did you want to save the current voice?\"");
    wait_idle(dialog);
}

void voice_editor::wait_shown(int id, const std::string& text, const std::string& what) const {
    expect_soon([&] { return shown(id) == text; }, what + ": expected " + text);
}

void voice_editor::press(int id) {
    expect(IsWindowEnabled(item(id)), "button " + std::to_string(id) + " is enabled");
    // Sent: a later sent action must not overtake the click.
    send_handled(item(id), BM_CLICK, 0, 0, "button " + std::to_string(id) + "'s command");
}

void voice_editor::select(int id, int entry) {
    select_entry(dialog, id, LB_SETCURSEL, LBN_SELCHANGE, entry);
}

void voice_editor::save() {
    const std::string before = app.log_text();
    click_button(item(IDOK));
    app.wait_commit_logged(before, "  * Voice Edited successfully!\r\n");
    wait_idle(dialog);
}

void voice_editor::answer_file_dialog(int command, const std::string& path,
                                      const std::string& label) {
    post_command(dialog, command);
    HWND open = app.dialog("Open");
    if (!label.empty()) {
        save_screenshot({open}, label);
    }
    fill_file_dialog(open, path);
    // Destroyed, not only hidden: its modal loop has ended.
    expect_soon([&] { return !IsWindow(open); }, "the file dialog closes");
}

std::vector<std::string> voice_editor::import(int command, const std::string& path,
                                              std::size_t count) {
    answer_file_dialog(command, path);
    expect_soon([&] { return list(IDC_IMPORT_LIST).size() == count; },
                std::to_string(count) + " voices listed for import from " + path);
    return list(IDC_IMPORT_LIST);
}

std::vector<uint8_t> voice_editor::written_file(const std::string& path) {
    wait_idle(dialog);
    return file_bytes(path);
}

header_editor::header_editor(kavelo_session& session) : app(session) {
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    dialog = app.dialog("Edit General Track Properties");
}

void header_editor::commit() {
    const std::string before = app.log_text();
    click_button(item(IDOK));
    app.wait_commit_logged(before, "  * Header Edited successfully!\r\n");
}

void header_editor::close() {
    click_button(item(IDCANCEL));
    expect(wait_gone(dialog), "Close ends the Track Header Editor");
}

uint32_t track_start(int track) {
    return kavelo::track_table[static_cast<std::size_t>(track)].start;
}

kavelo::voice_record as_displayed(const kavelo::voice_record& voice) {
    kavelo::voice_record shown{};
    for (const kavelo::field_control& control : kavelo::voice_field_controls()) {
        const int value = kavelo::field_value(voice, control); // a list reads 0 past its end
        kavelo::set_field_value(shown, control, value < control.field->entries ? value : 0);
    }
    return shown;
}

kavelo::voice_record voice_at(const std::vector<uint8_t>& image, std::size_t slot) {
    kavelo::voice_record stored{};
    if (slot + stored.size() > image.size()) {
        fail("voice slot " + std::to_string(slot) + " lies past the end of the file");
    }
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(slot), stored.size(), stored.begin());
    return kavelo::swap_voice_order(stored);
}

std::size_t voice_slot(const std::vector<uint8_t>& image, int track, int index) {
    const uint32_t start = track_start(track);
    return start + (image.at(start) << 8 | image.at(start + 1)) +
           25u * static_cast<uint32_t>(index);
}

std::vector<uint8_t> with_voice(std::vector<uint8_t> image, int track, int index,
                                const kavelo::voice_record& voice) {
    const kavelo::voice_record stored = kavelo::swap_voice_order(voice);
    std::copy(stored.begin(), stored.end(),
              image.begin() + static_cast<std::ptrdiff_t>(voice_slot(image, track, index)));
    return image;
}

kavelo::voice_record stored_voice(const std::vector<uint8_t>& image, int track, int index) {
    return voice_at(image, voice_slot(image, track, index));
}

} // namespace gui
