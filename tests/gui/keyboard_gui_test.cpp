// The Keyboard window from the Voice editor: the computer's keys, a click and the octave
// play notes, a held key shows pressed until its release; then the program ends with every
// window open.

#include "flows.h"

#include "keyboard_ids.h"

namespace gui {

KAVELO_GUI_TEST(keyboard_window_plays_a_held_key_and_its_release) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    post_command(editor.dialog, IDM_KEYBOARD_WINDOW);
    HWND keyboard = app.dialog("Keyboard");
    const auto picture = [&](const std::string& name) {
        const std::string path = work_path(name + ".bmp");
        expect(screenshot({dialog_item(keyboard, IDC_KEYBOARD_KEYS)}, path), "the keys' picture");
        return file_bytes(path);
    };
    const auto expect_note = [&](const std::string& name, const std::string& what) {
        expect_soon([&] { return window_text(dialog_item(keyboard, IDC_KEYBOARD_NOTE)) == name; },
                    what);
    };

    // The octave selector reaches C0; a click on the lowest white key plays it.
    user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 0);
    RECT keys{};
    GetWindowRect(dialog_item(keyboard, IDC_KEYBOARD_KEYS), &keys);
    expect(bring_to_front(keyboard), "the Keyboard window takes the focus");
    click_at(POINT{keys.left + 4, keys.bottom - 4});
    expect_note("C0", "a click on the lowest key plays C0");
    user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 3);
    const std::vector<uint8_t> up = picture("up");
    send_key('Z', false);
    expect_note("C3", "Z plays the C of the lowest octave shown");
    expect_soon([&] { return picture("held") != up; }, "the held key is drawn pressed");
    save_screenshot({keyboard}, "held");
    send_key('Z', true);
    expect_soon([&] { return picture("released") == up; }, "the released key is drawn up again");

    // File > Exit with every window open: the Keyboard's sound and MIDI input close at once,
    // so a teardown that waited on its device would pass this bound.
    header_editor header(app);
    post_command(app.main(), IDM_EXIT);
    expect(app.wait_exit(3s) == 0, "File > Exit with every window open");
}

} // namespace gui
