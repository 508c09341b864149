// Editing comforts as a user meets them: undo and redo from the Edit menu and the keys,
// Revert Voice, the operator context menu, another file opened and a third dropped while
// the Voice editor is open, Fix Checksum, and a file named on the command line.

#include "voice_editor_support.h"

#include "gui_probe.h"
#include "header_editor/header_fields.h"
#include "header_editor_ids.h"
#include "rom/cartridge_checksum.h"
#include "demo/demo_rom.h"
#include "rom/track_table.h"
#include "voice_editor/operator_ops.h"

namespace gui {

namespace {

constexpr char rom_opened[] = "  * Opened compatible Brisco ROM\r\n";
constexpr char track_opened[] = "  * Opened Binary Music Track\r\n";

void right_click_at(POINT screen_point) {
    SetCursorPos(screen_point.x, screen_point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

POINT centre_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Right-clicks at the point, takes a screenshot of the operator menu that opens and picks
// its entry `entry` (0 Copy Operator, 1 Paste Operator, 2-4 the swaps) from the keyboard.
void pick_from_operator_menu(kavelo_session& app, HWND dialog, POINT at, int entry,
                             const std::string& label) {
    expect(bring_to_front(dialog), "the Voice editor comes to the front");
    right_click_at(at);
    HWND popup = wait_popup_menu(app.process().pid());
    expect(popup != nullptr, "a right click on an operator column opens its menu");
    save_screenshot(std::vector<HWND>{dialog, popup}, label);
    for (int i = 0; i <= entry; ++i) {
        press_chord({}, VK_DOWN);
    }
    press_chord({}, VK_RETURN);
    expect(wait_gone(popup), "the menu closes after the pick");
}

// The operator fields (nine lists and AME) of column `op` as the controls show them.
kavelo::operator_bytes operator_shown(HWND dialog, int op) {
    return kavelo::copy_operator(displayed_voice(dialog), op);
}

kavelo::voice_record bare_track_voice(const std::vector<uint8_t>& track, int index) {
    const std::size_t at = static_cast<std::size_t>(track[0] << 8 | track[1]) + 25 * index;
    kavelo::voice_record stored{};
    std::copy_n(track.begin() + static_cast<std::ptrdiff_t>(at), 25, stored.begin());
    return kavelo::swap_voice_order(stored);
}

void wait_shown(HWND dialog, int id, const std::string& text, const std::string& what) {
    expect(wait_until([&] { return shown(dialog, id) == text; }),
           what + ": expected " + text + ", shown " + shown(dialog, id));
}

} // namespace

KAVELO_GUI_TEST(voice_editor_undo_revert_operators_and_other_files) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, 2, nullptr);
    choose_voice(app, dialog, 1, nullptr);

    // The Edit menu as the keyboard opens it: nothing to undo yet.
    std::vector<menu_popup> menu = read_menu(dialog);
    expect(menu.size() >= 2 && menu[1].text == "Edit", "the second popup is Edit");
    const std::vector<std::string> edit_items{
        "Copy Voice",       "Paste Voice",  "", "Undo\tCtrl+Z",
        "Redo\tCtrl+Y",     "Revert Voice", "", "Export Voice...",
        "Export Bank As..."};
    expect_equal(static_cast<long long>(menu[1].items.size()),
                 static_cast<long long>(edit_items.size()), "Edit menu items");
    for (std::size_t i = 0; i < edit_items.size(); ++i) {
        expect_equal(menu[1].items[i].text, edit_items[i], "Edit item " + std::to_string(i));
    }
    expect_equal(menu[1].items[3].command, IDM_UNDO, "Undo command");
    expect(menu[1].items[3].grayed && menu[1].items[4].grayed, "nothing to undo or redo yet");
    expect(bring_to_front(dialog), "the Voice editor comes to the front");
    // "Edit" is the bar's second item, just right of "Import", in the band above the client.
    RECT frame{};
    GetWindowRect(dialog, &frame);
    POINT client_top{0, 0};
    ClientToScreen(dialog, &client_top);
    click_at({frame.left + 62, client_top.y - GetSystemMetrics(SM_CYMENU) / 2});
    HWND popup = wait_popup_menu(app.process().pid());
    expect(popup != nullptr, "a click on Edit opens the menu");
    save_screenshot(std::vector<HWND>{dialog, popup}, "edit-menu");
    press_chord({}, VK_ESCAPE);
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(popup), "Escape closes the Edit menu");

    // Two edits, undone by Ctrl+Z and the menu, redone by Ctrl+Y.
    const int op4_tl = op_control(4, IDC_OP1_TL);
    const int op2_ame = op_control(2, IDC_OP1_AME);
    const std::string tl_before = shown(dialog, op4_tl);
    const bool ame_before = checked(dialog, op2_ame);
    user_picks(dialog, op4_tl, 77);
    press_button(dialog, op2_ame);
    expect(checked(dialog, op2_ame) != ame_before, "the AME box changed");
    expect(read_menu(dialog)[1].items[3].grayed == false, "Undo is offered after an edit");
    click_window(dialog_item(dialog, op_control(1, IDC_OP1_MUL)));
    press_chord({}, VK_ESCAPE); // the click dropped the list down
    press_chord({VK_CONTROL}, 'Z');
    expect(wait_until([&] { return checked(dialog, op2_ame) == ame_before; }),
           "Ctrl+Z undoes the AME click");
    expect_equal(shown(dialog, op4_tl), "77", "the TL edit stays");
    post_command(dialog, IDM_UNDO);
    wait_shown(dialog, op4_tl, tl_before, "Undo restores TL");
    press_chord({VK_CONTROL}, 'Y');
    wait_shown(dialog, op4_tl, "77", "Ctrl+Y redoes TL");
    expect(checked(dialog, op2_ame) == ame_before, "the AME click is still undone");

    // Save to ROM keeps the history and says the checksum went stale.
    const std::vector<uint8_t> before_save = file_bytes(rom);
    save_to_rom(app, dialog);
    expect(app.log_text().find(checksum_note_start) != std::string::npos,
           "a commit into the ROM image notes the stale checksum");
    expect_equal(stored_voice(file_bytes(rom), 2, 1)[21], 77, "OP4 TL saved");
    post_command(dialog, IDM_UNDO);
    wait_shown(dialog, op4_tl, tl_before, "Undo still works after Save to ROM");

    // Revert shows the file's voice (TL 77 now), as one step.
    post_command(dialog, IDM_REVERT_VOICE);
    wait_shown(dialog, op4_tl, "77", "Revert shows the voice as the file holds it");
    expect(displayed_voice(dialog) == stored_voice(file_bytes(rom), 2, 1), "the whole voice");
    post_command(dialog, IDM_UNDO);
    wait_shown(dialog, op4_tl, tl_before, "Revert is undone");
    post_command(dialog, IDM_REDO);
    wait_shown(dialog, op4_tl, "77", "and redone");

    // Copy OP1 through its context menu and paste it into OP3 through OP3's.
    const kavelo::operator_bytes op1 = operator_shown(dialog, 1);
    pick_from_operator_menu(app, dialog, centre_of(dialog_item(dialog, op_control(1, IDC_OP1_TL))),
                            0, "operator-menu-op1");
    RECT group{};
    GetWindowRect(find_child(dialog, "Button", "OP3"), &group);
    RECT det{};
    GetWindowRect(dialog_item(dialog, op_control(3, IDC_OP1_DET)), &det);
    // Inside the OP3 group box, between its caption and its first list.
    const POINT op3_box{(group.left + group.right) / 2, (group.top + det.top) / 2 + 2};
    pick_from_operator_menu(app, dialog, op3_box, 1, "operator-menu-op3");
    expect(wait_until([&] { return operator_shown(dialog, 3) == op1; }),
           "OP3 shows every field of OP1");
    const kavelo::voice_record pasted = displayed_voice(dialog);
    post_command(dialog, IDM_SWAP_OP2_OP4);
    expect(
        wait_until([&] { return operator_shown(dialog, 2) == kavelo::copy_operator(pasted, 4); }),
        "Swap moves OP4 into OP2");
    expect(operator_shown(dialog, 4) == kavelo::copy_operator(pasted, 2), "and OP2 into OP4");
    post_command(dialog, IDM_UNDO);
    expect(wait_until([&] { return displayed_voice(dialog) == pasted; }), "the swap is undone");
    save_screenshot(dialog, "after-operator-paste");

    // A second file while the editor is open: its prompt first, into the file it showed.
    const std::vector<uint8_t> track = kavelo::make_demo_track(9);
    const std::string track_path =
        write_work_file(current_test() + "-second.bin", {track.begin(), track.end()});
    HWND open = app.open_dialog_from_menu();
    fill_file_dialog(open, track_path);
    expect(wait_gone(open), "the Open dialog closes after OK");
    expect(answer_message_box(app.process().pid(), "Prompt", "&Yes"),
           "opening another file asks about the edited voice");
    wait_log_ends_with(app, track_opened);
    expect(stored_voice(file_bytes(rom), 2, 1) == pasted,
           "Yes saved the shown voice into the first file");
    const std::vector<uint8_t> rom_after = file_bytes(rom);
    expect(wait_until([&] { return !IsWindowEnabled(dialog_item(dialog, IDC_TRACK_LIST)); }),
           "the editor shows the bare track: no track choice");
    expect(displayed_voice(dialog) == as_displayed(bare_track_voice(track, 0)),
           "the editor shows voice 0 of the second file");
    expect_equal(window_text(dialog_item(dialog, IDC_VOICE_LIST)), "Voice 0", "voice 0 chosen");
    expect(read_menu(dialog)[1].items[3].grayed, "the history went with the earlier voice");
    user_picks(dialog, IDC_ALG_LIST, 6);
    save_to_rom(app, dialog);
    const std::vector<uint8_t> track_after = file_bytes(track_path);
    expect_equal(file_bytes(track_path)[static_cast<std::size_t>(track[0] << 8 | track[1])] & 7, 6,
                 "Save to ROM writes into the second file");
    expect(file_bytes(rom) == rom_after, "the first file is left alone");

    // A third file dropped on the main window opens as File > Open would.
    const std::vector<uint8_t> third_rom = kavelo::make_demo_rom();
    const std::string third =
        write_work_file(current_test() + "-third.bin", {third_rom.begin(), third_rom.end()});
    probe_drop_file(app.main(), third);
    expect(answer_message_box(app.process().pid(), "Prompt", "&No"),
           "the drop asks first too (Save to ROM kept the flag); log:\n" + app.log_text());
    wait_log_ends_with(app, rom_opened);
    expect(wait_until([&] { return IsWindowEnabled(dialog_item(dialog, IDC_TRACK_LIST)); }),
           "the track list is back for a ROM image");
    expect_equal(window_text(dialog_item(dialog, IDC_TRACK_LIST)),
                 std::string(kavelo::track_table[0].name), "the first track is shown");
    expect(displayed_voice(dialog) == as_displayed(stored_voice(third_rom, 0, 0)),
           "voice 0 of the dropped file");
    const std::vector<menu_popup> main_menu = read_menu(app.main());
    expect(main_menu.size() == 3 && main_menu[1].items.back().command == IDM_FIX_CHECKSUM,
           "a ROM image offers Tools > Fix Checksum");

    // A commit leaves the checksum stale; Fix Checksum writes the right one.
    user_picks(dialog, op_control(1, IDC_OP1_TL), 3);
    save_to_rom(app, dialog);
    const std::vector<uint8_t> stale = file_bytes(third);
    post_command(app.main(), IDM_FIX_CHECKSUM);
    wait_log_ends_with(app, "  * Writing changes to ROM\r\n  * Checksum Fixed successfully!\r\n");
    const std::vector<uint8_t> fixed = file_bytes(third);
    const std::vector<std::size_t> changed = changed_offsets(stale, fixed);
    expect(!changed.empty() && changed.front() >= 0x18E && changed.back() <= 0x18F,
           "Fix Checksum changes only the checksum word");
    expect_equal(fixed[0x18E] << 8 | fixed[0x18F], kavelo::cartridge_checksum(fixed),
                 "the stored checksum matches");
    expect(file_bytes(rom) == rom_after && file_bytes(track_path) == track_after,
           "the earlier files are left alone");
    // The editor stays above the window that owns it; move it aside to see the log.
    RECT main_rect{};
    GetWindowRect(app.main(), &main_rect);
    SetWindowPos(dialog, nullptr, main_rect.left, main_rect.bottom + 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    save_screenshot(app.main(), "main-window-log");
}

KAVELO_GUI_TEST(command_line_opens_its_file_and_ignores_the_rest) {
    const std::string rom = fresh_demo_rom();
    kavelo_session app("--verbose \"" + rom + "\" extra.bin");
    wait_log_ends_with(app, "  * Ignored on the command line: --verbose extra.bin\r\n" +
                                std::string(rom_opened));
    expect(app.menu_titles().size() == 3, "the file menu with Tools is set");
    HWND dialog = open_voice_editor(app);
    expect(displayed_voice(dialog) == as_displayed(stored_voice(file_bytes(rom), 0, 0)),
           "the editor shows the file named on the command line");

    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    HWND header = wait_dialog(app.process().pid(), "Edit General Track Properties");
    expect(header != nullptr, "the Track Header Editor opens");
    expect_equal(combo_box_items(dialog_item(header, IDC_HEADER_TRACK_LIST)).size(), 19,
                 "a ROM image lists the tracks");

    // A bare track dropped on the main window: both editors show it, and it has no
    // checksum, so no Fix Checksum.
    const std::string track = fresh_demo_track(3);
    const std::vector<uint8_t> track_bytes = kavelo::make_demo_track(3);
    probe_drop_file(app.main(), track);
    wait_log_ends_with(app, track_opened);
    expect(wait_until([&] { return !IsWindowEnabled(dialog_item(header, IDC_HEADER_TRACK_LIST)); }),
           "the header editor has no track choice for a bare track");
    expect_equal(combo_box_items(dialog_item(header, IDC_HEADER_TRACK_LIST)).size(), 0,
                 "and no track names");
    expect_equal(window_text(dialog_item(header, IDC_HEADER_SONG_TEMPO)),
                 kavelo::format_header_byte(track_bytes[5]),
                 "it shows the bare track's song tempo");
    expect(displayed_voice(dialog) == as_displayed(bare_track_voice(track_bytes, 0)),
           "the Voice editor shows the bare track's voice 0");
    save_screenshot(std::vector<HWND>{dialog, header}, "editors-after-drop");
    const std::vector<menu_popup> menu = read_menu(app.main());
    expect(menu.size() == 3 && menu[1].items.back().command == IDM_VOICE_EDITOR,
           "a bare track has no Fix Checksum");
}

} // namespace gui
