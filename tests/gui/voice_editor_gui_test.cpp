// The Voice editor: a known voice shown, edits saved into their 25 bytes, the save prompt,
// copy and paste, undo, Revert, the operator menu, other files, Fix Checksum, its keys.

#include "flows.h"

#include "demo/demo_rom.h"
#include "header_editor/header_fields.h"
#include "keyboard_ids.h"
#include "rom/cartridge_checksum.h"
#include "rom/track_table.h"
#include "voice_editor/operator_ops.h"

#include <algorithm>
#include <tuple>

namespace gui {

namespace {

// Right-click at the point, shot of the operator menu, entry `entry` picked from the keyboard
// (0 Copy Operator, 1 Paste Operator, 2-4 the swaps).
void pick_from_operator_menu(voice_editor& editor, POINT at, int entry, const std::string& label) {
    expect(bring_to_front(editor.dialog), "the Voice editor comes to the front");
    click_at(at, true);
    HWND popup = editor.app.popup_menu();
    save_screenshot({editor.dialog, popup}, label);
    for (int i = 0; i <= entry; ++i) {
        press_chord({}, VK_DOWN);
    }
    press_chord({}, VK_RETURN);
    expect(wait_gone(popup), "the menu closes after the pick");
}

bool undo_grayed(HWND dialog) {
    return read_menu(dialog).at(1).items.at(3).grayed;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_shows_every_field_of_a_known_voice) {
    // A bare track whose only voice sets bits no control shows, and both ends of each list.
    const kavelo::voice_record known{0xC5, 0x7F, 0x80, 0x12, 0x35, 0xC0, 0x1F, 0x9F, 0x41,
                                     0x9F, 0x00, 0x80, 0x1F, 0x00, 0x1F, 0xE5, 0x0A, 0xF0,
                                     0x0F, 0x87, 0x3C, 0x80, 0x7F, 0x05, 0x40};
    std::vector<unsigned char> track(48, 0);
    track[1] = 48;
    const kavelo::voice_record stored = kavelo::swap_voice_order(known);
    track.insert(track.end(), stored.begin(), stored.end());
    kavelo_session app;
    app.open_file(write_work_file(current_test() + ".bin", track));
    voice_editor editor(app);
    save_screenshot({editor.dialog}, "dialog");
    expect(!IsWindowEnabled(editor.item(IDC_TRACK_LIST)), "binary track mode disables track list");
    expect_equal(editor.list(IDC_TRACK_LIST).size(), 19, "it still holds the names");
    expect_equal(editor.shown(IDC_TRACK_LIST), "Copperleaf Zone", "it shows the first track");
    expect(editor.list(IDC_VOICE_LIST) == std::vector<std::string>{"Voice 0"}, "one voice listed");

    // Groups run OP4, OP3, OP2, OP1: byte 1 is OP4's, byte 4 OP1's.
    const auto op = op_control;
    const std::tuple<int, const char*, const char*> lists[] = {
        {IDC_ALG_LIST, "5", "ALG (bits 0-2 of 0xC5)"},
        {IDC_FBL_LIST, "0", "FBL ignores bits 6-7"},
        {op(4, IDC_OP1_DET), "7", "OP4 DET of 0x7F"},
        {op(4, IDC_OP1_MUL), "15", "OP4 MUL of 0x7F"},
        {op(3, IDC_OP1_DET), "0", "OP3 DET ignores bit 7"},
        {op(1, IDC_OP1_DET), "3", "OP1 DET of 0x35"},
        {op(1, IDC_OP1_MUL), "5", "OP1 MUL of 0x35"},
        {op(4, IDC_OP1_RS), "3", "OP4 RS of 0xC0"},
        {op(4, IDC_OP1_AR), "0", "OP4 AR of 0xC0"},
        {op(1, IDC_OP1_AR), "1", "OP1 AR ignores bit 6's neighbour"},
        {op(4, IDC_OP1_D1R), "31", "OP4 D1R of 0x9F"},
        {op(2, IDC_OP1_D1R), "0", "OP2 D1R of 0x80"},
        {op(2, IDC_OP1_D2R), "5", "OP2 D2R drops bits 5-7"},
        {op(4, IDC_OP1_D1L), "15", "OP4 D1L of 0xF0"},
        {op(4, IDC_OP1_RR), "1", "RR 0 shows 1"},
        {op(3, IDC_OP1_RR), "31", "RR 15 shows 31"},
        {op(2, IDC_OP1_RR), "15", "RR 7 shows 15"},
        {op(4, IDC_OP1_TL), "0", "TL of 0x80 shows 0"},
        {op(3, IDC_OP1_TL), "127", "TL of 0x7F"},
        {op(1, IDC_OP1_TL), "64", "OP1 TL of 0x40"}};
    for (const auto& [id, text, what] : lists) {
        expect_equal(editor.shown(id), text, what);
    }
    const std::pair<int, bool> ames[] = {{4, true}, {3, false}, {2, true}};
    for (const auto& [ame, on] : ames) {
        expect_equal(editor.checked(op(ame, IDC_OP1_AME)), on, "OP" + std::to_string(ame) + " AME");
    }
    const std::vector<std::string> rr = editor.list(op(1, IDC_OP1_RR));
    expect(rr.size() == 16 && rr.back() == "31", "an RR list holds 16 entries, the last 31");
}

KAVELO_GUI_TEST(voice_editor_saves_into_the_shown_slot_and_asks_by_the_flag) {
    rom_session app;
    voice_editor editor(app, 2, 1); // unmodified: no prompt
    editor.pick(op_control(3, IDC_OP1_MUL), 9);
    editor.choose_voice(2, "&No");
    editor.choose_voice(3); // No cleared the flag
    expect(app.bytes() == app.original, "No writes nothing");

    // Yes saves into the voice that was shown, exactly its 25 bytes.
    editor.pick(op_control(4, IDC_OP1_TL), 77);
    editor.pick(op_control(1, IDC_OP1_RR), 15);
    editor.press(op_control(2, IDC_OP1_AME));
    editor.pick(op_control(3, IDC_OP1_MUL), 9);
    const kavelo::voice_record expected = editor.voice();
    editor.choose_voice(4, "&Yes");
    std::vector<uint8_t> after = app.bytes();
    expect_changes_within(app.original, after, {{voice_slot(after, 2, 3), 25}}, "Yes");
    expect(stored_voice(after, 2, 3) == expected, "the slot holds the displayed voice");
    expect_equal(stored_voice(after, 2, 3)[21], 77, "OP4 TL");
    expect_equal(stored_voice(after, 2, 3)[20] & 0x0F, 15, "OP1 RR stores the index");
    expect_equal(stored_voice(after, 2, 3)[2] & 0x0F, 9, "OP3 MUL");
    expect(stored_voice(after, 2, 4) == stored_voice(app.original, 2, 4),
           "the newly chosen voice is untouched");

    // "Save to ROM" writes its slot and keeps the flag, so the next change still asks.
    editor.pick(op_control(1, IDC_OP1_AR), 3);
    editor.save();
    expect_changes_within(after, app.bytes(), {{voice_slot(after, 2, 4), 25}}, "Save to ROM");
    expect(stored_voice(app.bytes(), 2, 4) == editor.voice(), "Save to ROM stores the shown voice");
    editor.choose_track(5, "&No");
    expect_equal(editor.shown(IDC_TRACK_LIST), "Rustworks Zone", "the track changed after asking");

    // A click on AME is not a selection change; a click in a list box is.
    editor.press(op_control(1, IDC_OP1_AME));
    editor.choose_voice(1);
    editor.select(IDC_IMPORT_LIST, -1);
    editor.choose_voice(0, "&No");

    // Copy in one track, paste in another; a Paste before any Copy changes nothing.
    post_command(editor.dialog, IDM_PASTE_VOICE);
    editor.choose_track(4);
    editor.choose_voice(2);
    editor.pick(op_control(2, IDC_OP1_TL), 100);
    const kavelo::voice_record copied = editor.voice();
    post_command(editor.dialog, IDM_COPY_VOICE);
    editor.choose_track(6, "&No");
    expect_equal(editor.shown(IDC_TRACK_LIST), "Invincibility", "track 6 shown");
    post_command(editor.dialog, IDM_PASTE_VOICE);
    expect_soon([&] { return editor.voice() == copied; }, "Paste shows the copied voice");
    editor.save();
    expect(stored_voice(app.bytes(), 6, 0) == copied, "Save writes it into voice 0 of track 6");
    expect(stored_voice(app.bytes(), 4, 2) == stored_voice(app.original, 4, 2),
           "the copied voice's own slot is untouched");
    save_screenshot({editor.dialog}, "pasted");

    // One editor at a time; Close asks, saves on Yes and destroys the window.
    post_command(app.main(), IDM_VOICE_EDITOR);
    expect_soon(
        [&] {
            const std::vector<HWND> windows = top_level_windows(app.pid());
            return std::count_if(windows.begin(), windows.end(),
                                 [](HWND w) { return title_of(w) == editor_title; }) == 1;
        },
        "a second request brings the same editor forward");
    editor.pick(IDC_ALG_LIST, 7);
    post_command(editor.dialog, IDCANCEL);
    expect(answer_message_box(app.pid(), "Prompt", "&Yes"), "Close asks");
    expect_soon([&] { return !IsWindow(editor.dialog); }, "Close destroys the window");
    expect_equal(stored_voice(app.bytes(), 6, 0)[0] & 7, 7, "Yes saved the algorithm");
    expect(IsWindowVisible(voice_editor(app).dialog), "the next command opens a fresh editor");
}

KAVELO_GUI_TEST(voice_editor_undo_revert_operators_and_other_files) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    HWND dialog = editor.dialog;

    // The Edit menu, nothing to undo yet, opened with a click on the bar.
    const std::string edit_menu = "Edit: " + menu_entry("Copy Voice", IDM_COPY_VOICE) + ", " +
                                  menu_entry("Paste Voice", IDM_PASTE_VOICE) + ", -, ";
    const std::string export_items = ", -, " + menu_entry("Export Voice...", IDM_EXPORT_VOICE) +
                                     ", " + menu_entry("Export Bank As...", IDM_EXPORT_BANK_AS);
    expect_equal(menu_text(dialog, 1),
                 edit_menu + menu_entry("Undo\tCtrl+Z", IDM_UNDO, true) + ", " +
                     menu_entry("Redo\tCtrl+Y", IDM_REDO, true) + ", " +
                     menu_entry("Revert Voice", IDM_REVERT_VOICE) + export_items,
                 "the Edit menu, nothing to undo or redo yet");
    // "Edit", right of "Import" in the bar; a click lost while the editor is being
    // activated on a busy machine is made again, a few times at most.
    HWND popup = nullptr;
    for (int attempt = 0; attempt < 3 && popup == nullptr; ++attempt) {
        expect(bring_to_front(dialog), "the Voice editor comes to the front");
        RECT frame{};
        GetWindowRect(dialog, &frame);
        POINT client_top{0, 0};
        ClientToScreen(dialog, &client_top);
        click_at({frame.left + 62, client_top.y - GetSystemMetrics(SM_CYMENU) / 2});
        popup = wait_window(app.pid(), popup_menu_class, {}, 5s);
    }
    expect(popup != nullptr, "a click on Edit opens the menu");
    save_screenshot({dialog, popup}, "edit-menu");
    press_chord({}, VK_ESCAPE);
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(popup), "Escape closes the Edit menu");

    // Two edits, undone by Ctrl+Z and the menu, redone by Ctrl+Y.
    const int op4_tl = op_control(4, IDC_OP1_TL);
    const int op2_ame = op_control(2, IDC_OP1_AME);
    const std::string tl_before = editor.shown(op4_tl);
    const bool ame_before = editor.checked(op2_ame);
    editor.pick(op4_tl, 77);
    editor.press(op2_ame);
    expect(editor.checked(op2_ame) != ame_before, "the AME box changed");
    expect(!undo_grayed(dialog), "Undo is offered after an edit");
    click_at(centre(editor.item(op_control(1, IDC_OP1_MUL))));
    press_chord({}, VK_ESCAPE); // the click dropped the list down
    press_chord({VK_CONTROL}, 'Z');
    expect_soon([&] { return editor.checked(op2_ame) == ame_before; },
                "Ctrl+Z undoes the AME click");
    expect_equal(editor.shown(op4_tl), "77", "the TL edit stays");
    post_command(dialog, IDM_UNDO);
    editor.wait_shown(op4_tl, tl_before, "Undo restores TL");
    press_chord({VK_CONTROL}, 'Y');
    editor.wait_shown(op4_tl, "77", "Ctrl+Y redoes TL");
    expect(editor.checked(op2_ame) == ame_before, "the AME click is still undone");

    // Save to ROM keeps the history and says the checksum went stale.
    editor.save();
    expect(contains(app.log_text(), checksum_note_start),
           "a commit into the ROM image notes the stale checksum");
    expect_equal(stored_voice(app.bytes(), 2, 1)[21], 77, "OP4 TL saved");
    post_command(dialog, IDM_UNDO);
    editor.wait_shown(op4_tl, tl_before, "Undo still works after Save to ROM");

    // Revert shows the file's voice (TL 77 now), as one step.
    post_command(dialog, IDM_REVERT_VOICE);
    editor.wait_shown(op4_tl, "77", "Revert shows the voice as the file holds it");
    expect(editor.voice() == stored_voice(app.bytes(), 2, 1), "the whole voice");
    post_command(dialog, IDM_UNDO);
    editor.wait_shown(op4_tl, tl_before, "Revert is undone");
    post_command(dialog, IDM_REDO);
    editor.wait_shown(op4_tl, "77", "and redone");

    // Copy OP1 through its context menu and paste it into OP3 through OP3's.
    const auto operator_shown = [&](int op) { return kavelo::copy_operator(editor.voice(), op); };
    const kavelo::operator_bytes op1 = operator_shown(1);
    pick_from_operator_menu(editor, centre(editor.item(op_control(1, IDC_OP1_TL))), 0,
                            "operator-menu-op1");
    RECT group{};
    GetWindowRect(find_child(dialog, "Button", "OP3"), &group);
    RECT det{};
    GetWindowRect(editor.item(op_control(3, IDC_OP1_DET)), &det);
    // Inside the OP3 group box, between its caption and its first list.
    pick_from_operator_menu(editor, {(group.left + group.right) / 2, (group.top + det.top) / 2 + 2},
                            1, "operator-menu-op3");
    expect_soon([&] { return operator_shown(3) == op1; }, "OP3 shows every field of OP1");
    const kavelo::voice_record pasted = editor.voice();
    post_command(dialog, IDM_SWAP_OP2_OP4);
    expect_soon([&] { return operator_shown(2) == kavelo::copy_operator(pasted, 4); },
                "Swap moves OP4 into OP2");
    expect(operator_shown(4) == kavelo::copy_operator(pasted, 2), "and OP2 into OP4");
    post_command(dialog, IDM_UNDO);
    expect_soon([&] { return editor.voice() == pasted; }, "the swap is undone");
    save_screenshot({dialog}, "after-operator-paste");

    // A second file while the editor is open: its prompt first, into the file it showed.
    const std::vector<uint8_t> track = kavelo::make_demo_track(9);
    const std::string track_path = write_work_file(current_test() + "-second.bin", track);
    app.open_file(track_path, "&Yes");
    app.wait_log_ends_with(track_line);
    const std::vector<uint8_t> rom_after = app.bytes();
    expect(stored_voice(rom_after, 2, 1) == pasted,
           "Yes saved the shown voice into the first file");
    expect_soon([&] { return !IsWindowEnabled(editor.item(IDC_TRACK_LIST)); },
                "the editor shows the bare track: no track choice");
    expect(editor.voice() == as_displayed(bare_track_voice(track, 0)),
           "the editor shows voice 0 of the second file");
    expect_equal(editor.shown(IDC_VOICE_LIST), "Voice 0", "voice 0 chosen");
    expect(undo_grayed(dialog), "the history went with the earlier voice");
    editor.pick(IDC_ALG_LIST, 6);
    editor.save();
    const std::vector<uint8_t> track_after = file_bytes(track_path);
    expect_equal(track_after[static_cast<std::size_t>(track[0] << 8 | track[1])] & 7, 6,
                 "Save to ROM writes into the second file");
    expect(app.bytes() == rom_after, "the first file is left alone");

    // A third file dropped on the main window opens as File > Open would.
    const std::vector<uint8_t> third_rom = kavelo::make_demo_rom();
    const std::string third = write_work_file(current_test() + "-third.bin", third_rom);
    drop_file(app.main(), third);
    expect(answer_message_box(app.pid(), "Prompt", "&No"),
           "the drop asks first too (Save to ROM kept the flag); log:\n" + app.log_text());
    app.wait_log_ends_with(rom_line);
    expect_soon([&] { return IsWindowEnabled(editor.item(IDC_TRACK_LIST)); },
                "the track list is back for a ROM image");
    expect_equal(editor.shown(IDC_TRACK_LIST), std::string(kavelo::track_table[0].name),
                 "the first track");
    expect(editor.voice() == as_displayed(stored_voice(third_rom, 0, 0)),
           "voice 0 of the dropped file");
    expect_main_menu(app, file_kind::rom_image); // Fix Checksum again

    // A commit leaves the checksum stale; Fix Checksum writes the right one.
    editor.pick(op_control(1, IDC_OP1_TL), 3);
    editor.save();
    const std::vector<uint8_t> stale = file_bytes(third);
    post_command(app.main(), IDM_FIX_CHECKSUM);
    app.wait_log_ends_with("  * Writing changes to ROM\r\n  * Checksum Fixed successfully!\r\n");
    const std::vector<uint8_t> fixed = file_bytes(third);
    expect(!changed_offsets(stale, fixed).empty(), "Fix Checksum writes a new checksum");
    expect_changes_within(stale, fixed, {{0x18E, 2}}, "Fix Checksum");
    expect_equal(fixed[0x18E] << 8 | fixed[0x18F], kavelo::cartridge_checksum(fixed),
                 "the stored checksum matches");
    expect(app.bytes() == rom_after && file_bytes(track_path) == track_after,
           "the earlier files are left alone");
    // The editor stays above its owner; moved aside, the log shows.
    RECT main_rect{};
    GetWindowRect(app.main(), &main_rect);
    SetWindowPos(dialog, nullptr, main_rect.left, main_rect.bottom + 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    save_screenshot({app.main()}, "main-window-log");
}

// A file named on the command line, then a bare track dropped, in both editors; the Voice
// editor's and the Keyboard's keys while the Track Header Editor is open.
KAVELO_GUI_TEST(command_line_and_dropped_files_reach_both_editors) {
    const std::string rom = fresh_demo_rom();
    kavelo_session app("--verbose \"" + rom + "\" extra.bin");
    app.wait_log_ends_with("  * Ignored on the command line: --verbose extra.bin\r\n" +
                           std::string(rom_line));
    expect_main_menu(app, file_kind::rom_image);
    voice_editor editor(app);
    expect(editor.voice() == as_displayed(stored_voice(file_bytes(rom), 0, 0)),
           "the editor shows the file named on the command line");
    header_editor header(app);
    expect_equal(items(header.item(IDC_HEADER_TRACK_LIST)).size(), 19, "a ROM lists the tracks");

    // A bare track shows its first 48 bytes and has no checksum, so no Fix Checksum.
    const std::string track_path = fresh_demo_track(11);
    const std::vector<uint8_t> track = file_bytes(track_path);
    drop_file(app.main(), track_path);
    app.wait_log_ends_with(track_line);
    expect_soon([&] { return !IsWindowEnabled(header.item(IDC_HEADER_TRACK_LIST)); },
                "the header editor has no track choice for a bare track");
    expect(items(header.item(IDC_HEADER_TRACK_LIST)).empty(), "and no track names");
    expect_equal(header.field(IDC_HEADER_SONG_TEMPO), kavelo::format_header_byte(track[5]),
                 "it shows the bare track's song tempo");
    expect_equal(header.field(IDC_HEADER_FM5_VOLUME), kavelo::format_header_byte(track[29]),
                 "and its byte 29");
    expect(editor.voice() == as_displayed(bare_track_voice(track, 0)),
           "the Voice editor shows the bare track's voice 0");
    save_screenshot({editor.dialog, header.dialog}, "editors-after-drop");
    expect_main_menu(app, file_kind::bare_track);
    header.type(IDC_HEADER_FM5_VOLUME, "255");
    header.commit();
    expect(changed_offsets(track, file_bytes(track_path)) == std::vector<std::size_t>{29},
           "the commit writes byte 29 of the file alone");

    // Back in the Voice editor with the header editor open behind it: a click on a list
    // gives it the focus (and drops it down, which Escape undoes).
    expect(bring_to_front(header.dialog), "the Track Header Editor is in front");
    const int tl = op_control(2, IDC_OP1_TL);
    const std::string before = editor.shown(tl);
    editor.pick(tl, before == "40" ? 41 : 40);
    const std::string after = editor.shown(tl);
    expect(bring_to_front(editor.dialog), "the Voice editor comes to the front");
    click_at(centre(editor.item(op_control(1, IDC_OP1_MUL))));
    press_chord({}, VK_ESCAPE);
    press_chord({VK_CONTROL}, 'Z');
    expect_soon([&] { return editor.shown(tl) == before; }, "Ctrl+Z undoes the TL pick");
    press_chord({VK_CONTROL}, 'Y');
    expect_soon([&] { return editor.shown(tl) == after; }, "Ctrl+Y redoes it");
    HWND keyboard = editor.open_keyboard();
    send_key('X', false);
    expect_soon([&] { return window_text(dialog_item(keyboard, IDC_KEYBOARD_NOTE)) == "D3"; },
                "X on the Keyboard window plays D3");
    send_key('X', true);
    save_screenshot({app.main(), editor.dialog, header.dialog, keyboard}, "all-windows");
    expect(IsWindowVisible(header.dialog), "the Track Header Editor is still open");

    // Its own keys are its own: Escape closes it, and only it.
    expect(bring_to_front(header.dialog), "the Track Header Editor comes back to the front");
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(header.dialog), "Escape closes the Track Header Editor");
    expect(IsWindowVisible(editor.dialog) && IsWindowVisible(keyboard), "the other windows stay");
    expect_equal(editor.shown(tl), after, "the Voice editor keeps the redone pick");
}

} // namespace gui
