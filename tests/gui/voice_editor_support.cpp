#include "voice_editor_support.h"

#include "rom/track_table.h"
#include "voice_editor/voice_fields.h"

#include <map>

namespace gui {

namespace {

constexpr UINT handler_timeout_ms = 8000;

// Sends WM_COMMAND with a notification and waits for the dialog procedure to finish it.
void send_notification(HWND dialog, int id, int code) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                             reinterpret_cast<LPARAM>(dialog_item(dialog, id)), SMTO_NORMAL,
                             handler_timeout_ms, &result)) {
        fail("control " + std::to_string(id) +
             "'s notification did not return (an unexpected prompt?)");
    }
}

// Reads the dialog's controls from outside, for the editor's own record builder.
struct remote_controls : kavelo::voice_controls {
    HWND dialog;
    explicit remote_controls(HWND d) : dialog(d) {}
    void select(uint16_t, int) override {}
    int selection(uint16_t id) const override {
        return static_cast<int>(SendMessageA(dialog_item(dialog, id), CB_GETCURSEL, 0, 0));
    }
    void check(uint16_t, bool) override {}
    bool checked(uint16_t id) const override { return gui::checked(dialog, id); }
};

} // namespace

HWND open_voice_editor(kavelo_session& app) {
    post_command(app.main(), IDM_VOICE_EDITOR);
    HWND dialog = wait_dialog(app.process().pid(), editor_title);
    expect(dialog != nullptr, "the Voice editor opens");
    return dialog;
}

int count_dialogs(kavelo_session& app, const std::string& title) {
    int count = 0;
    for (HWND window : top_level_windows(app.process().pid())) {
        count += window_text(window) == title ? 1 : 0;
    }
    return count;
}

std::string shown(HWND dialog, int id) {
    return window_text(dialog_item(dialog, id));
}

bool checked(HWND dialog, int id) {
    return SendMessageA(dialog_item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void user_picks(HWND dialog, int id, int entry) {
    SendMessageA(dialog_item(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    send_notification(dialog, id, CBN_SELCHANGE);
}

void wait_idle(HWND dialog) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, handler_timeout_ms, &result)) {
        fail("the Voice editor does not respond");
    }
}

// Picks an entry of the track or voice list; `answer` as for choose_voice.
static void pick_with_prompt(kavelo_session& app, HWND dialog, int id, int entry,
                             const char* answer) {
    if (!answer) {
        user_picks(dialog, id, entry);
        return;
    }
    choose_combo_entry(dialog, id, entry);
    expect(answer_message_box(app.process().pid(), "Prompt", answer),
           "the change asks \"Did you want to save the current voice?\"");
    expect(wait_until([&] { return count_dialogs(app, "Prompt") == 0; }), "the prompt closes");
    wait_idle(dialog);
}

void choose_track(kavelo_session& app, HWND dialog, int track, const char* answer) {
    pick_with_prompt(app, dialog, IDC_TRACK_LIST, track, answer);
}

void choose_voice(kavelo_session& app, HWND dialog, int voice, const char* answer) {
    pick_with_prompt(app, dialog, IDC_VOICE_LIST, voice, answer);
}

void press_button(HWND dialog, int id) {
    HWND button = dialog_item(dialog, id);
    expect(IsWindowEnabled(button), "button " + std::to_string(id) + " is enabled");
    DWORD_PTR result = 0;
    // Sent, not posted: a later sent action must not overtake the click.
    if (!SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, handler_timeout_ms, &result)) {
        fail("button " + std::to_string(id) + "'s command did not return (an unexpected prompt?)");
    }
}

void select_list_entry(HWND dialog, int id, int entry) {
    SendMessageA(dialog_item(dialog, id), LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    send_notification(dialog, id, LBN_SELCHANGE);
}

kavelo::voice_record displayed_voice(HWND dialog) {
    return kavelo::voice_editor_read_voice(remote_controls(dialog));
}

void save_to_rom(kavelo_session& app, HWND dialog) {
    const std::string before = app.log_text();
    click_button(dialog_item(dialog, IDOK));
    wait_commit_logged(app, before, saved_line);
    wait_idle(dialog);
}

std::size_t voice_slot(const std::vector<uint8_t>& image, int track, int index) {
    const uint32_t start = kavelo::track_table[static_cast<std::size_t>(track)].start;
    return start + (image.at(start) << 8 | image.at(start + 1)) +
           25u * static_cast<uint32_t>(index);
}

kavelo::voice_record stored_voice(const std::vector<uint8_t>& image, int track, int index) {
    const std::size_t slot = voice_slot(image, track, index);
    kavelo::voice_record stored{};
    for (std::size_t i = 0; i < stored.size(); ++i) {
        stored[i] = image.at(slot + i);
    }
    return kavelo::swap_voice_order(stored);
}

} // namespace gui

namespace gui {

namespace {

struct local_controls : kavelo::voice_controls {
    std::map<uint16_t, int> values;
    void select(uint16_t id, int entry) override { values[id] = entry; }
    int selection(uint16_t id) const override { return values.count(id) ? values.at(id) : -1; }
    void check(uint16_t id, bool on) override { values[id] = on ? 1 : 0; }
    bool checked(uint16_t id) const override { return values.count(id) && values.at(id) != 0; }
};

} // namespace

kavelo::voice_record as_displayed(const kavelo::voice_record& voice) {
    local_controls controls;
    kavelo::voice_editor_show_voice(voice, controls);
    return kavelo::voice_editor_read_voice(controls);
}

void answer_file_dialog(kavelo_session& app, HWND dialog, int command, const std::string& path) {
    post_command(dialog, command);
    HWND open = wait_dialog(app.process().pid(), "Open");
    expect(open != nullptr, "the file dialog opens");
    fill_file_dialog(open, path);
    // Destroyed, not only hidden: its modal loop has ended and the command goes on.
    expect(wait_until([&] { return !IsWindow(open); }), "the file dialog closes");
}

std::vector<uint8_t> written_file(kavelo_session& app, HWND dialog, const std::string& path) {
    wait_idle(dialog);
    for (HWND window : top_level_windows(app.process().pid())) {
        const std::string title = window_text(window);
        if (title == "Error" || title == "Error!") {
            std::string text;
            for (HWND child : child_windows(window)) {
                text.append(1, ' ').append(window_text(child));
            }
            fail("writing " + path + " was refused:" + text);
        }
    }
    return file_bytes(path);
}

} // namespace gui
