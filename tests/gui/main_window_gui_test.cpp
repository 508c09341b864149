// The shell: the main window, Status log and menus, File > Open, a file named on the command
// line, the About box, the accelerators, the editors from Tools, and the close box.

#include "flows.h"

#include "kavelo_version.h"

#include <dlgs.h>

namespace gui {

// The window at start; then Open cancelled, a ROM image, the last path offered again, a bare
// track, a Status log at its limit, the close box; then a file named on the command line.
KAVELO_GUI_TEST(main_window_opens_rom_images_and_tracks) {
    kavelo_session app;
    save_screenshot({app.main()}, "main-window");
    expect_equal(window_text(app.main()), main_title, "main window title");
    expect_main_menu(app, file_kind::none);

    app.cancel_dialog(app.open_dialog_from_menu());
    expect_equal(app.log_text(), "", "Status log after Cancel");
    const std::string rom = fresh_demo_rom();
    HWND dialog = app.open_dialog_from_menu();
    expect(items(dialog_item(dialog, cmb1)) ==
               std::vector<std::string>{"Binary Files (*.bin)", "All Files (*.*)"},
           "the file type filters, the given one first");
    save_screenshot({dialog}, "open-dialog");
    fill_file_dialog(dialog, rom);
    expect(wait_gone(dialog), "the Open dialog closes after OK");
    app.wait_log_ends_with(rom_line);
    expect_main_menu(app, file_kind::rom_image);
    dialog = app.open_dialog_from_menu();
    const std::string initial = window_text(file_dialog_name_field(dialog));
    expect(ends_with(initial, rom.substr(rom.find_last_of('\\') + 1)),
           "the Open dialog starts with the last path, got \"" + initial + "\"");
    app.cancel_dialog(dialog);
    app.open_file(fresh_demo_track(2));
    expect_equal(app.log_text(), std::string(rom_line) + track_line, "one line per Open");
    expect_main_menu(app, file_kind::bare_track);

    // 1,999 lines of 32 characters (63,968), which the new line of 34 would take past
    // 63,999: exactly the oldest line goes, and the log scrolls to the newest.
    std::string full;
    for (int i = 0; i < 1999; ++i) {
        full += std::to_string(10000 + i) + std::string(25, '.') + "\r\n";
    }
    set_text(app.log(), full);
    expect_equal(app.log_text().size(), full.size(), "the log holds the seeded lines");
    app.open_file(rom);
    expect_equal(app.log_text(), full.substr(32) + rom_line, "the oldest whole line dropped");
    // The 200-pixel window shows fewer than 30 lines: the view is at the end.
    const auto lines = SendMessageA(app.log(), EM_GETLINECOUNT, 0, 0);
    expect(SendMessageA(app.log(), EM_GETFIRSTVISIBLELINE, 0, 0) > lines - 30,
           "the log scrolled to the newest line");
    save_screenshot({app.main()}, "long-log");

    PostMessageA(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    expect_equal(app.wait_exit(), 0, "the close box ends the program");

    kavelo_session named("\"" + rom + "\"");
    named.wait_log_ends_with(rom_line);
    expect_main_menu(named, file_kind::rom_image);
}

// The About box from Help and by F1; Ctrl+O from the Voice editor; the editors from Tools
// and how they stand to the main window.
KAVELO_GUI_TEST(accelerators_and_tools_reach_their_windows) {
    kavelo_session app;
    for (const bool by_key : {false, true}) {
        expect(bring_to_front(app.main()), "the main window comes to the front");
        if (by_key) {
            press_chord({VK_MENU}, VK_F1);
        } else {
            post_command(app.main(), IDM_ABOUT);
        }
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
    }

    app.open_file(fresh_demo_track(2));
    HWND voice = voice_editor(app).dialog;
    expect(bring_to_front(voice), "the Voice editor comes to the front");
    press_chord({VK_CONTROL}, 'O');
    fill_file_dialog(app.wait_open_dialog(), fresh_demo_rom());
    app.wait_log_ends_with(std::string(track_line) + rom_line);
    // The Voice editor is modeless and owned by the main window, which stays usable.
    expect(GetWindow(voice, GW_OWNER) == app.main(), "the main window owns the Voice editor");
    expect(IsWindowEnabled(app.main()), "the main window stays usable beside the Voice editor");
    PostMessageA(voice, WM_SYSCOMMAND, SC_CLOSE, 0);
    expect_soon([&] { return !IsWindow(voice); }, "the close box ends the Voice editor");
    // The Track Header Editor is modal with no owner, so the main window stays enabled.
    header_editor header(app);
    expect(GetWindow(header.dialog, GW_OWNER) == nullptr, "the Track Header Editor has no owner");
    expect(IsWindowEnabled(app.main()), "the main window stays enabled beside it");
    header.close();
}

} // namespace gui
