// The Voice editor: a known voice shown from an opened file, edits saved into their 25 bytes,
// the save prompt, copy and paste, undo and Revert, the operator menu, Fix Checksum.

#include "flows.h"

#include "header_editor/header_fields.h"
#include "rom/cartridge_checksum.h"
#include "voice_editor/operator_ops.h"

namespace gui {

// A bare track opened while both editors show a ROM image: the edit is saved first on Yes, then
// each editor shows the track's voice and header and writes there.
KAVELO_GUI_TEST(voice_editor_shows_every_field_of_a_known_voice) {
    // A bare track whose only voice sets bits no control shows, and both ends of the lists.
    const kavelo::voice_record known{0xC5, 0x7F, 0x80, 0x12, 0x35, 0xC0, 0x1F, 0x9F, 0x41,
                                     0x9F, 0x00, 0x80, 0x1F, 0x00, 0x1F, 0xE5, 0x0A, 0xF0,
                                     0x0F, 0x87, 0x3C, 0x80, 0x7F, 0x05, 0x40};
    std::vector<unsigned char> track(48, 0);
    track[1] = 48; // the voice table's offset
    track[29] = 9; // FM channel 5's volume in the fixed 48-byte header
    const kavelo::voice_record stored = kavelo::swap_voice_order(known);
    track.insert(track.end(), stored.begin(), stored.end());
    const std::string track_path = write_work_file(current_test() + ".bin", track);
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick(IDC_ALG_LIST, 6);
    const kavelo::voice_record edited = editor.voice();
    header_editor header(app);
    post_command(app.main(), IDM_OPEN);
    fill_file_dialog(app.wait_open_dialog(), track_path);
    expect(answer_message_box(app.pid(), "Prompt", "&Yes"), "the Open asks to save first");
    app.wait_log_ends_with(track_line);
    expect(stored_voice(app.bytes(), 2, 1) == edited, "Yes saved the shown voice first");
    expect_soon([&] { return !IsWindowEnabled(header.item(IDC_HEADER_TRACK_LIST)); },
                "the Track Header Editor has no track choice for a bare track");
    expect_equal(header.field(IDC_HEADER_FM5_VOLUME), kavelo::format_header_byte(9),
                 "it shows the track's byte 29");
    expect(!IsWindowEnabled(editor.item(IDC_TRACK_LIST)), "nor has the Voice editor");
    expect(editor.list(IDC_VOICE_LIST) == std::vector<std::string>{"Voice 0"}, "one voice listed");
    expect(editor.voice() == as_displayed(known), "every control shows its field of the voice");
    save_screenshot({editor.dialog, header.dialog}, "editors-after-open");
    header.type(IDC_HEADER_FM5_VOLUME, "255");
    header.commit();
    track[29] = 255;
    expect(file_bytes(track_path) == track, "the header commit writes byte 29 of the file alone");
    editor.pick(IDC_ALG_LIST, 6);
    editor.save();
    expect((voice_at(file_bytes(track_path), 48)[0] & 7) == 6,
           "Save to ROM writes into the opened file");
    header.close();
}

KAVELO_GUI_TEST(voice_editor_saves_into_the_shown_slot_and_asks_by_the_flag) {
    rom_session app;
    voice_editor editor(app, 2, 3); // unmodified: no prompt

    // Yes saves into the voice that was shown, exactly its 25 bytes.
    editor.pick(op_control(4, IDC_OP1_TL), 77);
    editor.press(op_control(2, IDC_OP1_AME));
    const kavelo::voice_record expected = editor.voice();
    editor.choose(IDC_VOICE_LIST, 4, "&Yes");
    const std::vector<uint8_t> after = with_voice(app.original, 2, 3, expected);
    expect(app.bytes() == after, "Yes stores the displayed voice in its slot alone");

    // Save to ROM writes its slot; copy in one track, paste in another.
    editor.pick(op_control(2, IDC_OP1_TL), 100);
    const kavelo::voice_record copied = editor.voice();
    editor.save();
    expect(app.bytes() == with_voice(after, 2, 4, copied), "Save to ROM stores the shown voice");
    post_command(editor.dialog, IDM_COPY_VOICE);
    editor.choose(IDC_TRACK_LIST, 6, "&No");
    post_command(editor.dialog, IDM_PASTE_VOICE);
    expect_soon([&] { return editor.voice() == copied; }, "Paste shows the copied voice");
    editor.save();
    expect(stored_voice(app.bytes(), 6, 0) == copied, "Save writes it into voice 0 of track 6");

    // Close asks, saves on Yes and destroys the window.
    editor.pick(IDC_ALG_LIST, 7);
    post_command(editor.dialog, IDCANCEL);
    expect(answer_message_box(app.pid(), "Prompt", "&Yes"), "Close asks");
    expect_soon([&] { return !IsWindow(editor.dialog); }, "Close destroys the window");
    expect((stored_voice(app.bytes(), 6, 0)[0] & 7) == 7, "Yes saved the algorithm");
}

// Undo by key and menu, Revert, the operator menu, Fix Checksum.
KAVELO_GUI_TEST(voice_editor_undo_revert_operators_and_fix_checksum) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    HWND dialog = editor.dialog;
    const int op4_tl = op_control(4, IDC_OP1_TL);
    const std::string tl_before = editor.shown(op4_tl);
    editor.pick(op4_tl, 77);
    expect(bring_to_front(dialog), "the Voice editor comes to the front");
    click_at(centre(editor.item(op_control(1, IDC_OP1_MUL)))); // the focus off any edit field
    press_chord({}, VK_ESCAPE);                                // the click dropped the list
    press_chord({VK_CONTROL}, 'Z');
    editor.wait_shown(op4_tl, tl_before, "Ctrl+Z undoes the edit");
    press_chord({VK_CONTROL}, 'Y');
    editor.wait_shown(op4_tl, "77", "Ctrl+Y redoes it");
    editor.save();
    post_command(dialog, IDM_UNDO);
    editor.wait_shown(op4_tl, tl_before, "Undo from the menu");
    post_command(dialog, IDM_REVERT_VOICE);
    editor.wait_shown(op4_tl, "77", "Revert shows the voice as the file holds it");
    expect(editor.voice() == stored_voice(app.bytes(), 2, 1), "the whole voice");

    // Copy OP1 through its context menu and paste it into OP3 through OP3's.
    const auto operator_shown = [&](int op) { return kavelo::copy_operator(editor.voice(), op); };
    const kavelo::operator_bytes op1 = operator_shown(1);
    // Entry 0 is Copy Operator, 1 Paste Operator.
    const std::pair<int, int> picks[] = {{1, 0}, {3, 1}};
    for (const auto& [op, entry] : picks) {
        expect(bring_to_front(dialog), "the Voice editor comes to the front");
        click_at(centre(editor.item(op_control(op, IDC_OP1_TL))), true);
        HWND popup = wait_window(app.pid(), popup_menu_class);
        expect(popup != nullptr, "a popup menu opens");
        save_screenshot({dialog, popup}, "operator-menu-" + std::to_string(entry));
        for (int i = 0; i <= entry; ++i) {
            press_chord({}, VK_DOWN);
        }
        press_chord({}, VK_RETURN);
        expect(wait_gone(popup), "the menu closes after the pick");
    }
    expect_soon([&] { return operator_shown(3) == op1; }, "OP3 shows every field of OP1");
    const kavelo::voice_record pasted = editor.voice();
    post_command(dialog, IDM_SWAP_OP2_OP4);
    expect_soon([&] { return operator_shown(2) == kavelo::copy_operator(pasted, 4); },
                "Swap moves OP4 into OP2");

    // Fix Checksum writes the checksum that the saves left stale.
    const std::vector<uint8_t> stale = app.bytes();
    post_command(app.main(), IDM_FIX_CHECKSUM);
    app.wait_log_ends_with("  * Writing changes to ROM\r\n  * Checksum Fixed successfully!\r\n");
    std::vector<uint8_t> fixed = stale;
    fixed[0x18E] = static_cast<uint8_t>(kavelo::cartridge_checksum(stale) >> 8);
    fixed[0x18F] = static_cast<uint8_t>(kavelo::cartridge_checksum(stale));
    expect(app.bytes() == fixed, "Fix Checksum writes the checksum alone");
}

} // namespace gui
