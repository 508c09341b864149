// The Keyboard window from the Voice editor: the computer's keys, a click and the octave
// play notes, a held key shows pressed until its release, the envelopes follow the editor;
// then the program ends with every window open.

#include "flows.h"

#include "keyboard_ids.h"

namespace gui {

KAVELO_GUI_TEST(keyboard_window_plays_a_held_key_and_its_release) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick_all(IDC_OP1_RR, 15);
    expect(bring_to_front(editor.dialog), "the Voice editor takes the focus");
    press_chord({VK_CONTROL}, 'K');
    HWND keyboard = app.dialog("Keyboard");
    expect(items(dialog_item(keyboard, IDC_KEYBOARD_MIDI)).at(0) == "None",
           "the MIDI input starts at None");
    const auto picture = [&](int id, const std::string& name) {
        const std::string path = work_path(name + ".bmp");
        expect(screenshot({dialog_item(keyboard, id)}, path), "the picture can be captured");
        return file_bytes(path);
    };
    const auto expect_note = [&](const std::string& name, const std::string& what) {
        expect_soon([&] { return window_text(dialog_item(keyboard, IDC_KEYBOARD_NOTE)) == name; },
                    what);
    };
    const std::vector<uint8_t> short_release = picture(IDC_KEYBOARD_ENVELOPES, "short");
    editor.pick_all(IDC_OP1_RR, 2);
    expect_soon([&] { return picture(IDC_KEYBOARD_ENVELOPES, "long") != short_release; },
                "a longer release in the editor redraws the envelopes");

    // The octave selector reaches C0; a click on the lowest white key plays it.
    user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 0);
    RECT keys{};
    GetWindowRect(dialog_item(keyboard, IDC_KEYBOARD_KEYS), &keys);
    expect(bring_to_front(keyboard), "the Keyboard window takes the focus");
    click_at(POINT{keys.left + 4, keys.bottom - 4});
    expect_note("C0", "a click on the lowest key plays C0");
    user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 3);
    const std::vector<uint8_t> up = picture(IDC_KEYBOARD_KEYS, "up");
    send_key('Z', false);
    expect_note("C3", "Z plays the C of the lowest octave shown");
    expect_soon([&] { return picture(IDC_KEYBOARD_KEYS, "held") != up; },
                "the held key is drawn pressed");
    save_screenshot({keyboard}, "held");
    send_key('Z', true);
    expect_soon([&] { return picture(IDC_KEYBOARD_KEYS, "released") == up; },
                "the released key is drawn up again");

    expect(bring_to_front(editor.dialog), "the editor takes the focus back");
    send_key('X', false);
    expect_note("D3", "keys play while the editor has the focus");
    send_key('X', true);

    // File > Exit with every window open: the Keyboard's sound and MIDI input close at once,
    // so a teardown that waited on its device would pass this bound.
    header_editor header(app);
    post_command(app.main(), IDM_EXIT);
    expect_equal(app.wait_exit(3s), 0, "File > Exit with every window open");
}

} // namespace gui
