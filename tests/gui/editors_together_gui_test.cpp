// Both editors open at once: the Voice editor's and the Keyboard window's keys while the
// modal Track Header Editor runs its own message loop, and an Exit that ends every window.

#include "voice_editor_support.h"

#include "keyboard_ids.h"

namespace gui {

namespace {

constexpr char header_title[] = "Edit General Track Properties";

// A click on an operator list gives it the focus (and drops it down, which Escape undoes).
void focus_operator_list(HWND dialog, int id) {
    expect(bring_to_front(dialog), "the window comes to the front");
    click_window(dialog_item(dialog, id));
    press_chord({}, VK_ESCAPE);
}

} // namespace

KAVELO_GUI_TEST(voice_editor_and_keyboard_keys_work_while_the_header_editor_is_open) {
    kavelo_session app;
    app.open_file(fresh_demo_rom());
    HWND dialog = open_voice_editor(app);
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    HWND header = wait_dialog(app.process().pid(), header_title);
    expect(header != nullptr, "the Track Header Editor opens beside the Voice editor");
    expect(bring_to_front(header), "the Track Header Editor is in front");

    // The user goes back to the Voice editor while the header editor stays open behind it.
    const int tl = op_control(2, IDC_OP1_TL);
    const std::string before = shown(dialog, tl);
    user_picks(dialog, tl, before == "40" ? 41 : 40);
    const std::string after = shown(dialog, tl);
    focus_operator_list(dialog, op_control(1, IDC_OP1_MUL));
    press_chord({VK_CONTROL}, 'Z');
    expect(wait_until([&] { return shown(dialog, tl) == before; }), "Ctrl+Z undoes the TL pick");
    press_chord({VK_CONTROL}, 'Y');
    expect(wait_until([&] { return shown(dialog, tl) == after; }), "Ctrl+Y redoes it");
    press_chord({VK_CONTROL}, 'K');
    HWND keyboard = wait_dialog(app.process().pid(), "Keyboard");
    expect(keyboard != nullptr, "Ctrl+K opens the Keyboard window");

    expect(bring_to_front(keyboard), "the Keyboard window takes the focus");
    send_key('X', false);
    expect(
        wait_until([&] { return window_text(dialog_item(keyboard, IDC_KEYBOARD_NOTE)) == "D3"; }),
        "X on the Keyboard window plays D3");
    send_key('X', true);
    save_screenshot(std::vector<HWND>{app.main(), dialog, header, keyboard}, "all-windows");
    expect(IsWindowVisible(header), "the Track Header Editor is still open");

    // Its own keys are its own: Escape closes it, and only it.
    expect(bring_to_front(header), "the Track Header Editor comes back to the front");
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(header), "Escape closes the Track Header Editor");
    expect(IsWindowVisible(dialog) && IsWindowVisible(keyboard), "the other windows stay");
    expect_equal(shown(dialog, tl), after, "the Voice editor keeps the redone pick");
}

KAVELO_GUI_TEST(exit_ends_the_process_with_every_window_open) {
    kavelo_session app;
    app.open_file(fresh_demo_rom());
    HWND dialog = open_voice_editor(app);
    post_command(dialog, IDM_KEYBOARD_WINDOW);
    expect(wait_dialog(app.process().pid(), "Keyboard") != nullptr, "the Keyboard window opens");
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    expect(wait_dialog(app.process().pid(), header_title) != nullptr, "the header editor opens");
    // The Keyboard's sound and MIDI input close at once; a teardown that waited on its
    // device would pass this bound, which leaves room for a busy machine.
    post_command(app.main(), IDM_EXIT);
    DWORD code = 1;
    expect(app.process().wait_exit(code, 3s), "the program ends within 3 s of File > Exit");
    expect_equal(code, 0, "exit code after File > Exit");
}

} // namespace gui
