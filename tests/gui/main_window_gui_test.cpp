// The application shell as a user meets it: the main window and its Status log, the two
// menus, File > Open with ROM images, bare tracks and Cancel, the accelerators, the About
// box, and the ways the program ends.

#include "kavelo_session.h"

#include "kavelo_version.h"
#include "resource.h"

#include "demo/demo_rom.h"

#include <cstdio>
#include <cstring>

namespace gui {

namespace {

constexpr char rom_line[] = "  * Opened compatible Brisco ROM\r\n";
constexpr char track_line[] = "  * Opened Binary Music Track\r\n";

void expect_items(const menu_popup& popup, const std::vector<menu_item>& expected) {
    expect_equal(static_cast<long long>(popup.items.size()),
                 static_cast<long long>(expected.size()), "items in " + popup.text);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string where = popup.text + " item " + std::to_string(i);
        expect_equal(popup.items[i].separator ? 1 : 0, expected[i].separator ? 1 : 0,
                     where + " is a separator");
        if (!expected[i].separator) {
            expect_equal(popup.items[i].text, expected[i].text, where + " text");
            expect_equal(popup.items[i].command, expected[i].command, where + " command");
            expect(!popup.items[i].grayed, where + " is enabled");
        }
    }
}

menu_item item(const std::string& text, int command) {
    return menu_item{text, command, false, false};
}
menu_item separator() {
    return menu_item{"", 0, true, false};
}

// Menu 109: File and Help, no Tools.
void expect_start_menu(HWND window) {
    const std::vector<menu_popup> menu = read_menu(window);
    expect_equal(static_cast<long long>(menu.size()), 2, "popups in menu 109");
    expect_equal(menu[0].text, "&File", "first popup");
    expect_items(menu[0],
                 {item("&Open\tCtrl+O", IDM_OPEN), separator(), item("E&xit\tAlt+F4", IDM_EXIT)});
    expect_equal(menu[1].text, "&Help", "second popup");
    expect_items(menu[1], {item("&About ...\t F1", IDM_ABOUT)});
}

// Menu 131: File, Tools with both editors, Help.
// Menu 131; a ROM image adds Tools > Fix Checksum, a bare track has no checksum to fix.
void expect_file_menu(HWND window, bool rom_image = true) {
    const std::vector<menu_popup> menu = read_menu(window);
    expect_equal(static_cast<long long>(menu.size()), 3, "popups in menu 131");
    expect_equal(menu[0].text, "&File", "first popup");
    expect_items(menu[0],
                 {item("&Open\tCtrl+O", IDM_OPEN), separator(), item("E&xit\tAlt+F4", IDM_EXIT)});
    expect_equal(menu[1].text, "&Tools", "second popup");
    std::vector<menu_item> tools{item("Track Header Editor", IDM_TRACK_HEADER_EDITOR),
                                 item("Voice Editor", IDM_VOICE_EDITOR)};
    if (rom_image) {
        tools.push_back(item("Fix Checksum", IDM_FIX_CHECKSUM));
    }
    expect_items(menu[1], tools);
    expect_equal(menu[2].text, "&Help", "third popup");
    expect_items(menu[2], {item("&About ...", IDM_ABOUT)});
}

// The About box as dialog 103 defines it; returns its window.
HWND expect_about_box(kavelo_session& app) {
    HWND about = wait_dialog(app.process().pid(), "About");
    expect(about != nullptr, "the About box appears");
    expect(GetWindow(about, GW_OWNER) == app.main(), "the About box is owned by the main window");
    expect(!IsWindowEnabled(app.main()), "the main window waits while the About box is open");
    HWND icon = dialog_item(about, IDC_ABOUT_ICON);
    expect_equal(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON, "control 2 shows an icon");
    expect(find_child(about, "Static", "KAVELO (Vantorel) Version 1.0") != nullptr,
           "the About box names the program and version");
    const std::string credits = window_text(GetWindow(GetWindow(icon, GW_HWNDNEXT), GW_HWNDNEXT));
    const std::string release = "Release " KAVELO_VERSION_TEXT;
    expect(credits.size() >= release.size() &&
               credits.compare(credits.size() - release.size(), release.size(), release) == 0,
           "the credits end with the release, seen: " + credits);
    HWND ok = dialog_item(about, IDOK);
    expect_equal(window_text(ok), "OK", "the About box button");
    expect_equal(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON,
                 "OK is the default button");
    return about;
}

void close_about_with_ok(HWND about) {
    click_button(dialog_item(about, IDOK));
    expect(wait_gone(about), "the About box closes on OK");
}

// A string of the program's version block (language 0409, code page 1200).
std::string file_version_text(const std::string& path, const std::string& name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return "(no version block)";
    }
    const std::string key = "\\StringFileInfo\\040904b0\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return "(no " + name + ")";
    }
    return std::string(value, strnlen(value, length));
}

std::vector<unsigned char> bytes_of(const std::vector<uint8_t>& data) {
    return {data.begin(), data.end()};
}

} // namespace

KAVELO_GUI_TEST(main_window_at_start) {
    for (const char* field : {"FileVersion", "ProductVersion"}) {
        expect_equal(file_version_text(environment().app_path, field), KAVELO_VERSION_TEXT,
                     std::string("the version block's ") + field);
    }
    expect_equal(file_version_text(environment().app_path, "ProductName"), "KAVELO (Vantorel)",
                 "the version block's product name");
    kavelo_session app;
    save_screenshot(app.main(), "main-window");
    expect_equal(window_class(app.main()), main_class, "main window class");
    expect_equal(window_text(app.main()), main_title, "main window title");

    const LONG style = GetWindowLongA(app.main(), GWL_STYLE);
    const LONG frame_bits = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                            WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD;
    expect_equal(style & frame_bits, 0x00CA0000, "main window frame style (fixed, no maximise)");
    RECT rect{};
    GetWindowRect(app.main(), &rect);
    expect_equal(rect.right - rect.left, 400, "main window width");
    expect_equal(rect.bottom - rect.top, 200, "main window height");

    expect_equal(window_class(app.log()), "Edit", "Status log class");
    expect_equal(GetDlgCtrlID(app.log()), IDC_STATUS_LOG, "Status log control id");
    expect_equal(static_cast<DWORD>(GetWindowLongA(app.log(), GWL_STYLE)), 0x50201844,
                 "Status log style");
    RECT client{};
    RECT log{};
    GetClientRect(app.main(), &client);
    GetWindowRect(app.log(), &log);
    MapWindowPoints(nullptr, app.main(), reinterpret_cast<POINT*>(&log), 2);
    expect(log.left == 0 && log.top == 0 && log.right == client.right &&
               log.bottom == client.bottom,
           "the Status log fills the client area");
    expect_equal(app.log_text(), "", "Status log text at start");
    expect_start_menu(app.main());
}

KAVELO_GUI_TEST(menus_before_and_after_open) {
    kavelo_session app;
    expect_start_menu(app.main());
    // Each popup opened as a user opens it from the keyboard, for the screenshots.
    auto show_popup = [&](char key, const std::string& label) {
        expect(bring_to_front(app.main()), "the main window comes to the front");
        press_chord({VK_MENU}, static_cast<WORD>(key));
        HWND popup = wait_popup_menu(app.process().pid());
        expect(popup != nullptr, std::string("Alt+") + key + " opens a popup menu");
        save_screenshot(std::vector<HWND>{app.main(), popup}, label);
        press_chord({}, VK_ESCAPE);
        press_chord({}, VK_ESCAPE);
        expect(wait_gone(popup), "Escape closes the popup");
    };
    show_popup('F', "file-menu-109");
    show_popup('H', "help-menu-109");

    app.open_file(demo().rom);
    expect_file_menu(app.main());
    show_popup('T', "tools-menu-131");
    show_popup('H', "help-menu-131");
}

KAVELO_GUI_TEST(open_rom_image) {
    kavelo_session app;
    HWND dialog = app.open_dialog_from_menu();
    const std::vector<std::string> filters = combo_box_items(file_dialog_type_list(dialog));
    expect_equal(static_cast<long long>(filters.size()), 2, "file type filters");
    expect_equal(filters[0], "Binary Files (*.bin)", "first filter");
    expect_equal(filters[1], "All Files (*.*)", "second filter");
    save_screenshot(dialog, "open-dialog");
    fill_file_dialog(dialog, demo().rom);
    expect(wait_gone(dialog), "the Open dialog closes after OK");
    expect(wait_until([&] { return !app.log_text().empty(); }), "a log line appears");
    expect_equal(app.log_text(), rom_line, "Status log after opening a ROM image");
    expect_file_menu(app.main());
    save_screenshot(app.main(), "after-open");
}

KAVELO_GUI_TEST(open_bare_track) {
    // A real track, a file too short to hold the serial, and a ROM image with one serial
    // character changed: none is refused, each is a bare track.
    std::vector<uint8_t> changed = kavelo::make_demo_rom();
    changed[0x180 + 5] = '5';
    const std::vector<std::string> files = {
        demo().track,
        write_work_file("short.bin", std::vector<unsigned char>(397, 0x20)),
        write_work_file("other-serial.bin", bytes_of(changed)),
    };
    kavelo_session app;
    std::string expected;
    for (const std::string& file : files) {
        app.open_file(file);
        expected += track_line;
        expect_equal(app.log_text(), expected, "Status log after opening " + file);
    }
    expect_file_menu(app.main(), false);
}

KAVELO_GUI_TEST(cancel_open_changes_nothing) {
    kavelo_session app;
    app.cancel_dialog(app.open_dialog_from_menu());
    expect_equal(app.log_text(), "", "Status log after Cancel");
    expect_start_menu(app.main());

    app.open_file(demo().rom);
    HWND dialog = app.open_dialog_from_menu();
    // The last opened path is the dialog's initial name.
    const std::string initial = window_text(file_dialog_name_field(dialog));
    expect(initial.size() >= 12 && initial.substr(initial.size() - 12) == "demo-rom.bin",
           "the Open dialog starts with the last path, got \"" + initial + "\"");
    app.cancel_dialog(dialog);
    expect_equal(app.log_text(), rom_line, "Status log after the second Open was cancelled");
    expect_file_menu(app.main());
}

KAVELO_GUI_TEST(reopen_another_file) {
    kavelo_session app;
    app.open_file(demo().rom);
    app.open_file(demo().track);
    app.open_file(demo().rom);
    expect_equal(app.log_text(), std::string(rom_line) + track_line + rom_line,
                 "one line per Open, oldest first");
    expect_file_menu(app.main());
}

KAVELO_GUI_TEST(ctrl_o_with_status_log_focused) {
    kavelo_session app;
    expect(bring_to_front(app.main()), "the main window comes to the front");
    click_window(app.log());
    expect(wait_until([&] { return app.process().focus() == app.log(); }),
           "a click puts the focus in the Status log");
    press_chord({VK_CONTROL}, 'O');
    HWND dialog = app.wait_open_dialog();
    fill_file_dialog(dialog, demo().track);
    expect(wait_until([&] { return app.log_text() == track_line; }),
           "Ctrl+O opened the file through the main window's Open");
}

KAVELO_GUI_TEST(about_box_from_accelerators) {
    kavelo_session app;
    struct chord {
        const char* name;
        WORD key;
        char character;
    };
    const chord chords[] = {{"Alt+F1", VK_F1, 0}, {"Alt+/", 0, '/'}, {"Alt+?", 0, '?'}};
    for (const chord& keys : chords) {
        expect(bring_to_front(app.main()), std::string("main window in front for ") + keys.name);
        if (keys.key != 0) {
            press_chord({VK_MENU}, keys.key);
        } else {
            type_char_chord({VK_MENU}, keys.character);
        }
        HWND about = expect_about_box(app);
        if (keys.key == VK_F1) {
            save_screenshot(about, "about-box");
        }
        close_about_with_ok(about);
        expect(IsWindowEnabled(app.main()), std::string("main window usable after ") + keys.name);
    }
}

KAVELO_GUI_TEST(about_box_from_menu_closes_with_escape) {
    kavelo_session app;
    post_command(app.main(), IDM_ABOUT);
    HWND about = expect_about_box(app);
    expect(bring_to_front(about), "the About box is in front");
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(about), "Escape closes the About box");
    expect(app.process().running(), "the program keeps running");
}

KAVELO_GUI_TEST(tools_commands_open_the_editors) {
    kavelo_session app;
    app.open_file(demo().rom);

    // The Voice editor is modeless and owned by the main window, which stays usable.
    post_command(app.main(), IDM_VOICE_EDITOR);
    HWND voice = wait_dialog(app.process().pid(), "Edit Voice");
    expect(voice != nullptr, "Tools > Voice Editor opens \"Edit Voice\"");
    expect(GetWindow(voice, GW_OWNER) == app.main(),
           "the Voice editor is owned by the main window");
    expect(IsWindowEnabled(app.main()), "the main window stays usable beside the Voice editor");
    save_screenshot(voice, "voice-editor");
    PostMessageA(voice, WM_SYSCOMMAND, SC_CLOSE, 0);
    expect(wait_until([&] { return !IsWindow(voice); }), "the close box ends the Voice editor");

    // The Track Header Editor is modal with no owner, so the main window stays enabled.
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    HWND header = wait_dialog(app.process().pid(), "Edit General Track Properties");
    expect(header != nullptr, "Tools > Track Header Editor opens its dialog");
    expect(GetWindow(header, GW_OWNER) == nullptr, "the Track Header Editor has no owner");
    expect(IsWindowEnabled(app.main()), "the main window stays enabled beside it");
    save_screenshot(header, "header-editor");
    click_button(dialog_item(header, IDCANCEL));
    expect(wait_gone(header), "Close ends the Track Header Editor");
    expect(app.process().running(), "the program keeps running");
}

KAVELO_GUI_TEST(ctrl_o_with_voice_editor_focused) {
    // The accelerators act whichever window has the focus and always reach the main window.
    kavelo_session app;
    app.open_file(demo().rom);
    post_command(app.main(), IDM_VOICE_EDITOR);
    HWND voice = wait_dialog(app.process().pid(), "Edit Voice");
    expect(voice != nullptr, "the Voice editor opens");
    expect(bring_to_front(voice), "the Voice editor comes to the front");
    expect(wait_until([&] {
               HWND focus = app.process().focus();
               return focus == voice || (focus != nullptr && IsChild(voice, focus));
           }),
           "the focus is in the Voice editor");
    press_chord({VK_CONTROL}, 'O');
    HWND dialog = app.wait_open_dialog();
    fill_file_dialog(dialog, demo().track);
    expect(wait_until([&] { return app.log_text() == std::string(rom_line) + track_line; }),
           "Ctrl+O from the Voice editor opened the file through the main window");
}

KAVELO_GUI_TEST(exit_command_ends_process) {
    kavelo_session app;
    post_command(app.main(), IDM_EXIT);
    expect_equal(app.wait_exit(), 0, "exit code after File > Exit");
}

KAVELO_GUI_TEST(close_box_ends_process) {
    kavelo_session app;
    PostMessageA(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    expect_equal(app.wait_exit(), 0, "exit code after the close box");
}

KAVELO_GUI_TEST(alt_f4_ends_process) {
    kavelo_session app;
    app.open_file(demo().track);
    expect(bring_to_front(app.main()), "the main window comes to the front");
    press_chord({VK_MENU}, VK_F4);
    expect_equal(app.wait_exit(), 0, "exit code after Alt+F4");
}

KAVELO_GUI_TEST(long_log_keeps_newest_line_visible) {
    kavelo_session app;
    // Lines enough to scroll: each Open must bring its line into view.
    std::string seed;
    for (int i = 0; i < 40; ++i) {
        seed += "earlier line ";
        seed += std::to_string(i);
        seed += "\r\n";
    }
    SendMessageA(app.log(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(seed.c_str()));
    app.open_file(demo().rom);
    expect_equal(app.log_text(), seed + rom_line, "the new line follows the earlier ones");
    expect(SendMessageA(app.log(), EM_GETFIRSTVISIBLELINE, 0, 0) > 0, "the log scrolled down");
    expect(newest_line_visible(app.log()), "the newest line is in view");

    // A log at its limit: 1,999 lines of 32 characters (63,968) plus the 34 of the new
    // line would pass 63,999, so exactly the oldest line goes.
    std::string full;
    for (int i = 0; i < 1999; ++i) {
        char line[40];
        std::snprintf(line, sizeof(line), "seed line %04d ...............\r\n", i);
        full += line;
    }
    SendMessageA(app.log(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
    expect_equal(static_cast<long long>(app.log_text().size()), 63968, "seeded log length");
    expect_equal(static_cast<long long>(full.size()), 1999 * 32, "seed line length");
    app.open_file(demo().rom);
    expect_equal(app.log_text(), full.substr(32) + rom_line, "the log drops its oldest whole line");
    expect(newest_line_visible(app.log()), "the newest line is in view at the limit");
    save_screenshot(app.main(), "long-log");
}

} // namespace gui
