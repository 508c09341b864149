// Play in the editors: the Voice editor's Track menu and its keys, the Track Header Editor's
// Play button, and what stops a track (Stop, Close, Exit). What a track sounds like the unit
// tests pin; the Preview test proves the program's sound reaches the device.

#include "flows.h"

namespace gui {

KAVELO_GUI_TEST(editors_play_and_stop_the_shown_track) {
    rom_session app;
    voice_editor editor(app, 2);
    // The Track menu as the menu bar shows it, Stop grayed while nothing plays.
    const auto track_menu = [&](bool playing) {
        return contains(menu_text(editor.dialog),
                        " | Track: " + menu_entry("Play Track\tF5", IDM_PLAY_TRACK) + ", " +
                            menu_entry("Stop\tShift+F5", IDM_STOP_TRACK, !playing) + " | ");
    };
    expect(track_menu(false), "the Track menu before playing");
    editor.pick(op_control(1, IDC_OP1_MUL), 3); // unsaved
    expect(bring_to_front(editor.dialog), "the editor takes the focus");
    press_chord({}, VK_F5);
    app.wait_log_ends_with("  * Playing Basalt Zone\r\n");
    expect(track_menu(true), "Stop is enabled while the track plays");
    expect(bring_to_front(editor.dialog), "the editor takes the focus");
    press_chord({VK_SHIFT}, VK_F5);
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");
    expect(track_menu(false), "Stop is grayed again");
    expect(app.bytes() == app.original, "playing with unsaved edits writes nothing");

    post_command(editor.dialog, IDM_PLAY_TRACK);
    app.wait_log_ends_with("  * Playing Basalt Zone\r\n");
    post_command(editor.dialog, IDCANCEL);
    expect(answer_message_box(app.pid(), "Prompt", "&No"), "Close asks for the unsaved edit");
    expect(wait_gone(editor.dialog), "Close ends the editor");
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");

    header_editor header(app);
    header.pick_track(2);
    HWND button = header.item(IDC_HEADER_PLAY);
    header.type(IDC_HEADER_SONG_TEMPO, "4");
    click_button(button);
    app.wait_log_ends_with("  * Playing Basalt Zone\r\n");
    expect_soon([&] { return window_text(button) == "Stop"; }, "Play becomes Stop");
    save_screenshot({header.dialog}, "playing");
    post_command(app.main(), IDM_EXIT);
    expect(app.wait_exit() == 0, "Exit while a track plays");
}

} // namespace gui
