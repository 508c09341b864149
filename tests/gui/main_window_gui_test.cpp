// The shell: the main window, Status log and menus, File > Open, the accelerators, the About
// box, the editors from Tools, and the ways the program ends.

#include "flows.h"

#include "kavelo_version.h"

#include "demo/demo_rom.h"

#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <tuple>

namespace gui {

namespace {

// The About box as dialog 103 defines it.
HWND expect_about_box(kavelo_session& app) {
    HWND about = app.dialog("About");
    expect(GetWindow(about, GW_OWNER) == app.main(), "the About box is owned by the main window");
    expect(!IsWindowEnabled(app.main()), "the main window waits while the About box is open");
    HWND icon = dialog_item(about, IDC_ABOUT_ICON);
    expect_equal(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON, "control 2 shows an icon");
    expect(find_child(about, "Static", "KAVELO (Vantorel) Version 1.0") != nullptr,
           "the About box names the program and version");
    const std::string credits = window_text(GetWindow(GetWindow(icon, GW_HWNDNEXT), GW_HWNDNEXT));
    expect(ends_with(credits, "Release " KAVELO_VERSION_TEXT), "the credits end with the release");
    HWND ok = dialog_item(about, IDOK);
    expect_equal(window_text(ok), "OK", "the About box button");
    expect_equal(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON,
                 "OK is the default button");
    return about;
}

// A string of the program's version block (language 0409, code page 1200).
std::string file_version_text(const std::string& path, const std::string& name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    char* value = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), ("\\StringFileInfo\\040904b0\\" + name).c_str(),
                        reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return "(no " + name + ")";
    }
    return std::string(value, strnlen(value, length));
}

// A window's rectangle in its parent's client coordinates (the screen's for none).
RECT rect_in(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

// The window at start; then Open cancelled, a ROM image, the last path offered again, bare
// tracks of every kind, and a Status log long enough to scroll and then at its limit.
KAVELO_GUI_TEST(main_window_opens_rom_images_and_tracks) {
    const std::pair<const char*, const char*> version_block[] = {
        {"FileVersion", KAVELO_VERSION_TEXT},
        {"ProductVersion", KAVELO_VERSION_TEXT},
        {"ProductName", main_title}};
    for (const auto& [field, value] : version_block) {
        expect_equal(file_version_text(environment().app_path, field), value,
                     std::string("the version block's ") + field);
    }
    kavelo_session app;
    save_screenshot({app.main()}, "main-window");
    expect_equal(window_text(app.main()), main_title, "main window title");
    const LONG frame_bits = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                            WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD;
    expect_equal(GetWindowLongA(app.main(), GWL_STYLE) & frame_bits, 0x00CA0000,
                 "main window frame style (fixed, no maximise)");
    const RECT frame = rect_in(app.main(), nullptr);
    expect_equal(frame.right - frame.left, 400, "main window width");
    expect_equal(frame.bottom - frame.top, 200, "main window height");
    expect_equal(window_class(app.log()), "Edit", "Status log class");
    expect_equal(static_cast<DWORD>(GetWindowLongA(app.log(), GWL_STYLE)), 0x50201844,
                 "Status log style");
    RECT client{};
    GetClientRect(app.main(), &client);
    const RECT log = rect_in(app.log(), app.main());
    expect(EqualRect(&log, &client), "the Status log fills the client area");
    expect_main_menu(app, file_kind::none);
    app.show_popup('F', "file-menu-109");
    app.show_popup('H', "help-menu-109");

    app.cancel_dialog(app.open_dialog_from_menu());
    expect_equal(app.log_text(), "", "Status log after Cancel");
    expect_main_menu(app, file_kind::none);
    const std::string rom = fresh_demo_rom();
    HWND dialog = app.open_dialog_from_menu();
    expect(items(dialog_item(dialog, cmb1)) ==
               std::vector<std::string>{"Binary Files (*.bin)", "All Files (*.*)"},
           "the file type filters, the given one first");
    save_screenshot({dialog}, "open-dialog");
    fill_file_dialog(dialog, rom);
    expect(wait_gone(dialog), "the Open dialog closes after OK");
    expect_soon([&] { return !app.log_text().empty(); }, "a log line appears");
    expect_equal(app.log_text(), rom_line, "Status log after opening a ROM image");
    expect_main_menu(app, file_kind::rom_image);
    dialog = app.open_dialog_from_menu();
    const std::string initial = window_text(file_dialog_name_field(dialog));
    expect(ends_with(initial, rom.substr(rom.find_last_of('\\') + 1)),
           "the Open dialog starts with the last path, got \"" + initial + "\"");
    app.cancel_dialog(dialog);
    expect_equal(app.log_text(), rom_line, "Status log after the second Open was cancelled");
    expect_main_menu(app, file_kind::rom_image);

    // A track, a file too short for the serial, a ROM image with one serial character
    // changed: none is refused, each is a bare track.
    std::vector<uint8_t> changed = kavelo::make_demo_rom();
    changed[0x180 + 5] = '5';
    std::string expected = rom_line;
    for (const std::string& file :
         {fresh_demo_track(2),
          write_work_file(current_test() + "-short.bin", std::vector<unsigned char>(397, 0x20)),
          write_work_file(current_test() + "-serial.bin", changed)}) {
        app.open_file(file);
        expected += track_line;
        expect_equal(app.log_text(), expected, "one line per Open, oldest first: " + file);
    }
    expect_main_menu(app, file_kind::bare_track);

    // Lines enough to scroll; then 1,999 lines of 32 characters (63,968), which the new
    // line of 34 would take past 63,999, so exactly the oldest line goes.
    std::string seed;
    for (int i = 0; i < 40; ++i) {
        // Piece by piece: the 32-bit optimiser takes "text" + string for an overlap.
        seed.append("earlier line ").append(std::to_string(i)).append("\r\n");
    }
    std::string full;
    for (int i = 0; i < 1999; ++i) {
        char line[40];
        std::snprintf(line, sizeof(line), "seed line %04d ...............\r\n", i);
        full += line;
    }
    for (const auto& [seeded, kept] : {std::pair{seed, seed}, std::pair{full, full.substr(32)}}) {
        set_text(app.log(), seeded);
        expect_equal(app.log_text().size(), seeded.size(), "the log holds the seeded lines");
        app.open_file(rom);
        expect_equal(app.log_text(), kept + rom_line,
                     "the new line follows, at the limit the "
                     "oldest whole line dropped");
        expect_main_menu(app, file_kind::rom_image);
        expect(SendMessageA(app.log(), EM_GETFIRSTVISIBLELINE, 0, 0) > 0, "the log scrolled");
        expect(newest_line_visible(app.log()), "the newest line is in view");
    }
    save_screenshot({app.main()}, "long-log");
    // Last: a key still on its way from the popups would reach the next window that opens.
    app.show_popup('T', "tools-menu-131");
    app.show_popup('H', "help-menu-131");
}

// The About box from Help and each accelerator; Ctrl+O from the Status log and from the
// Voice editor; the editors from Tools and how they stand to the main window.
KAVELO_GUI_TEST(accelerators_and_tools_reach_their_windows) {
    kavelo_session app;
    post_command(app.main(), IDM_ABOUT);
    HWND about = expect_about_box(app);
    expect(bring_to_front(about), "the About box is in front");
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(about), "Escape closes the About box");
    expect(app.process().running(), "the program keeps running");
    for (const char* chord : {"Alt+F1", "Alt+/", "Alt+?"}) {
        expect(bring_to_front(app.main()), std::string("main window in front for ") + chord);
        if (chord[4] == 'F') {
            press_chord({VK_MENU}, VK_F1);
        } else {
            type_char_chord({VK_MENU}, chord[4]);
        }
        about = expect_about_box(app);
        if (chord[4] == 'F') {
            save_screenshot({about}, "about-box");
        }
        click_button(dialog_item(about, IDOK));
        expect(wait_gone(about), "the About box closes on OK");
        expect(IsWindowEnabled(app.main()), std::string("main window usable after ") + chord);
    }

    expect(bring_to_front(app.main()), "the main window comes to the front");
    click_at(centre(app.log()));
    expect_soon([&] { return app.process().focus() == app.log(); },
                "a click puts the focus in the Status log");
    press_chord({VK_CONTROL}, 'O');
    fill_file_dialog(app.wait_open_dialog(), fresh_demo_track(2));
    expect_soon([&] { return app.log_text() == track_line; }, "Ctrl+O from the Status log");
    HWND voice = voice_editor(app).dialog;
    expect(bring_to_front(voice), "the Voice editor comes to the front");
    expect_soon(
        [&] {
            HWND focus = app.process().focus();
            return focus == voice || (focus != nullptr && IsChild(voice, focus));
        },
        "the focus is in the Voice editor");
    press_chord({VK_CONTROL}, 'O');
    fill_file_dialog(app.wait_open_dialog(), fresh_demo_rom());
    expect_soon([&] { return app.log_text() == std::string(track_line) + rom_line; },
                "Ctrl+O from the Voice editor opened the file through the main window");

    // The Voice editor is modeless and owned by the main window, which stays usable.
    expect(GetWindow(voice, GW_OWNER) == app.main(), "the main window owns the Voice editor");
    expect(IsWindowEnabled(app.main()), "the main window stays usable beside the Voice editor");
    save_screenshot({voice}, "voice-editor");
    PostMessageA(voice, WM_SYSCOMMAND, SC_CLOSE, 0);
    expect_soon([&] { return !IsWindow(voice); }, "the close box ends the Voice editor");
    // The Track Header Editor is modal with no owner, so the main window stays enabled.
    header_editor header(app);
    expect(GetWindow(header.dialog, GW_OWNER) == nullptr, "the Track Header Editor has no owner");
    expect(IsWindowEnabled(app.main()), "the main window stays enabled beside it");
    save_screenshot({header.dialog}, "header-editor");
    header.close();
    expect(app.process().running(), "the program keeps running");
}

KAVELO_GUI_TEST(the_program_ends_by_exit_close_box_and_alt_f4) {
    using action = void (*)(kavelo_session&);
    const std::tuple<const char*, action, duration> ways[] = {
        {"File > Exit", [](kavelo_session& app) { post_command(app.main(), IDM_EXIT); }, 10s},
        {"the close box",
         [](kavelo_session& app) { PostMessageA(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0); }, 10s},
        // Keys sent on a loaded machine are now and then lost on their way through Wine: a
        // press the program has not answered within 2 s is made again, three times at most.
        {"Alt+F4 with a track open",
         [](kavelo_session& app) {
             app.open_file(fresh_demo_track(2));
             for (int press = 1;; ++press) {
                 expect(bring_to_front(app.main()), "the main window comes to the front");
                 press_chord({VK_MENU}, VK_F4);
                 DWORD code = 0;
                 if (press == 3 || app.process().wait_exit(code, 2s)) {
                     break;
                 }
                 std::printf("  Alt+F4 press %d: the program still runs\n", press);
             }
         },
         10s},
        // The Keyboard's sound and MIDI input close at once; a teardown that waited on its
        // device would pass this bound, which leaves room for a busy machine.
        {"File > Exit with every window open",
         [](kavelo_session& app) {
             app.open_file(fresh_demo_rom());
             post_command(voice_editor(app).dialog, IDM_KEYBOARD_WINDOW);
             app.dialog("Keyboard");
             header_editor header(app);
             post_command(app.main(), IDM_EXIT);
         },
         3s},
    };
    for (const auto& [name, act, bound] : ways) {
        kavelo_session app;
        act(app);
        DWORD code = 0;
        expect(app.process().wait_exit(code, bound), std::string("the program ends after ") + name);
        expect_equal(code, 0, std::string("exit code after ") + name);
    }
}

} // namespace gui
