// The shell: the main window, Status log and menus, File > Open, a file named on the command
// line, the About box, the accelerators, the editors from Tools, and the close box.

#include "flows.h"

#include "kavelo_version.h"

namespace gui {

// The window at start; then Open cancelled, a ROM image, a bare track, the close box; then a
// file named on the command line.
KAVELO_GUI_TEST(main_window_opens_rom_images_and_tracks) {
    kavelo_session app;
    save_screenshot({app.main()}, "main-window");
    expect_equal(window_text(app.main()), "KAVELO (Vantorel)", "main window title");
    expect_main_menu(app, file_kind::none);

    post_command(app.main(), IDM_OPEN);
    app.cancel_dialog(app.wait_open_dialog());
    expect_equal(app.log_text(), "", "Status log after Cancel");
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    expect_main_menu(app, file_kind::rom_image);
    app.open_file(fresh_demo_track(2));
    expect_equal(app.log_text(), std::string(rom_line) + track_line, "one line per Open");
    expect_main_menu(app, file_kind::bare_track);
    save_screenshot({app.main()}, "opened");

    PostMessageA(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    expect(app.wait_exit() == 0, "the close box ends the program");

    kavelo_session named("\"" + rom + "\"");
    named.wait_log_ends_with(rom_line);
    expect_main_menu(named, file_kind::rom_image);
}

// The About box by F1; Ctrl+O from the Voice editor; the editors from Tools
// and how they stand to the main window.
KAVELO_GUI_TEST(accelerators_and_tools_reach_their_windows) {
    kavelo_session app;
    expect(bring_to_front(app.main()), "the main window comes to the front");
    press_chord({VK_MENU}, VK_F1);
    HWND about = app.dialog("About");
    expect(GetWindow(about, GW_OWNER) == app.main() && !IsWindowEnabled(app.main()),
           "the About box is modal to the main window");
    expect(find_child(about, "Static", "KAVELO (Vantorel) Version 1.0") != nullptr,
           "the About box names the program and version");
    expect(contains(box_text(about), "Release " KAVELO_VERSION_TEXT "|"),
           "the credits end with the release");
    save_screenshot({about}, "about-box");
    click_button(dialog_item(about, IDOK));
    expect(wait_gone(about), "OK closes the About box");

    app.open_file(fresh_demo_track(2));
    HWND voice = voice_editor(app).dialog;
    expect(bring_to_front(voice), "the Voice editor comes to the front");
    press_chord({VK_CONTROL}, 'O');
    fill_file_dialog(app.wait_open_dialog(), fresh_demo_rom());
    app.wait_log_ends_with(std::string(track_line) + rom_line);
    PostMessageA(voice, WM_SYSCOMMAND, SC_CLOSE, 0);
    expect_soon([&] { return !IsWindow(voice); }, "the close box ends the Voice editor");
    // The Track Header Editor is modal with no owner, so the main window stays enabled.
    header_editor header(app);
    expect(GetWindow(header.dialog, GW_OWNER) == nullptr, "the Track Header Editor has no owner");
    expect(IsWindowEnabled(app.main()), "the main window stays enabled beside it");
    header.close();
}

} // namespace gui
