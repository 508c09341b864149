// The Voice editor as a user meets it: dialog 106 opened from Tools, a known voice in every
// control, edits saved into exactly their 25 bytes, the save prompt and its flag rules, copy
// and paste across tracks, and a bare track.

#include "voice_editor_support.h"

#include "demo/demo_rom.h"
#include "rom/track_table.h"

namespace gui {

namespace {

// A bare track whose only voice sets bits that no control shows, and both ends of each list.
const kavelo::voice_record known_voice{0xC5, 0x7F, 0x80, 0x12, 0x35, 0xC0, 0x1F, 0x9F, 0x41,
                                       0x9F, 0x00, 0x80, 0x1F, 0x00, 0x1F, 0xE5, 0x0A, 0xF0,
                                       0x0F, 0x87, 0x3C, 0x80, 0x7F, 0x05, 0x40};

std::vector<unsigned char> bare_track_with(const kavelo::voice_record& voice) {
    std::vector<unsigned char> track(48, 0);
    track[1] = 48;
    const kavelo::voice_record stored = kavelo::swap_voice_order(voice);
    track.insert(track.end(), stored.begin(), stored.end());
    return track;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_shows_every_field_of_a_known_voice) {
    kavelo_session app;
    app.open_file(write_work_file(current_test() + ".bin", bare_track_with(known_voice)));
    HWND dialog = open_voice_editor(app);
    save_screenshot(dialog, "dialog");
    HWND tracks = dialog_item(dialog, IDC_TRACK_LIST);
    expect(!IsWindowEnabled(tracks), "binary track mode disables the track list");
    expect_equal(static_cast<long long>(combo_box_items(tracks).size()), 19,
                 "it still holds the names");
    expect_equal(window_text(tracks), "Copperleaf Zone", "it shows the first track");
    expect(combo_box_items(dialog_item(dialog, IDC_VOICE_LIST)) ==
               std::vector<std::string>{"Voice 0"},
           "one voice listed");

    expect_equal(shown(dialog, IDC_ALG_LIST), "5", "ALG (bits 0-2 of 0xC5)");
    expect_equal(shown(dialog, IDC_FBL_LIST), "0", "FBL ignores bits 6-7");
    // Groups run OP4, OP3, OP2, OP1: byte 1 is OP4's, byte 4 OP1's.
    expect_equal(shown(dialog, op_control(4, IDC_OP1_DET)), "7", "OP4 DET of 0x7F");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_MUL)), "15", "OP4 MUL of 0x7F");
    expect_equal(shown(dialog, op_control(3, IDC_OP1_DET)), "0", "OP3 DET ignores bit 7");
    expect_equal(shown(dialog, op_control(1, IDC_OP1_DET)), "3", "OP1 DET of 0x35");
    expect_equal(shown(dialog, op_control(1, IDC_OP1_MUL)), "5", "OP1 MUL of 0x35");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_RS)), "3", "OP4 RS of 0xC0");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_AR)), "0", "OP4 AR of 0xC0");
    expect_equal(shown(dialog, op_control(1, IDC_OP1_AR)), "1", "OP1 AR ignores bit 6's neighbour");
    expect(checked(dialog, op_control(4, IDC_OP1_AME)), "OP4 AME of 0x9F");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_D1R)), "31", "OP4 D1R of 0x9F");
    expect(!checked(dialog, op_control(3, IDC_OP1_AME)), "OP3 AME clear");
    expect(checked(dialog, op_control(2, IDC_OP1_AME)), "OP2 AME of 0x80");
    expect_equal(shown(dialog, op_control(2, IDC_OP1_D1R)), "0", "OP2 D1R of 0x80");
    expect_equal(shown(dialog, op_control(2, IDC_OP1_D2R)), "5", "OP2 D2R drops bits 5-7");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_D1L)), "15", "OP4 D1L of 0xF0");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_RR)), "1", "RR 0 shows 1");
    expect_equal(shown(dialog, op_control(3, IDC_OP1_RR)), "31", "RR 15 shows 31");
    expect_equal(shown(dialog, op_control(2, IDC_OP1_RR)), "15", "RR 7 shows 15");
    expect_equal(shown(dialog, op_control(4, IDC_OP1_TL)), "0", "TL of 0x80 shows 0");
    expect_equal(shown(dialog, op_control(3, IDC_OP1_TL)), "127", "TL of 0x7F");
    expect_equal(shown(dialog, op_control(1, IDC_OP1_TL)), "64", "OP1 TL of 0x40");
    expect_equal(static_cast<long long>(
                     combo_box_items(dialog_item(dialog, op_control(1, IDC_OP1_RR))).size()),
                 16, "an RR list holds 16 entries");
    expect_equal(combo_box_items(dialog_item(dialog, op_control(1, IDC_OP1_RR))).back(), "31",
                 "the last RR entry");
}

KAVELO_GUI_TEST(voice_editor_save_writes_exactly_the_voice_slot) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> before = file_bytes(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, 2, nullptr);
    choose_voice(app, dialog, 3, nullptr);
    user_picks(dialog, op_control(4, IDC_OP1_TL), 77);
    user_picks(dialog, op_control(1, IDC_OP1_RR), 15);
    SendMessageA(dialog_item(dialog, op_control(2, IDC_OP1_AME)), BM_CLICK, 0, 0);
    const kavelo::voice_record expected = displayed_voice(dialog);
    save_to_rom(app, dialog);
    const std::size_t slot = voice_slot(before, 2, 3);
    for (std::size_t offset : changed_offsets(before, file_bytes(rom))) {
        expect(offset >= slot && offset < slot + 25,
               "byte " + std::to_string(offset) + " lies in the slot");
    }
    expect(stored_voice(file_bytes(rom), 2, 3) == expected, "the slot holds the displayed voice");
    expect_equal(stored_voice(file_bytes(rom), 2, 3)[21], 77, "OP4 TL");
    expect_equal(stored_voice(file_bytes(rom), 2, 3)[20] & 0x0F, 15, "OP1 RR stores the index");
}

KAVELO_GUI_TEST(voice_editor_save_prompt_follows_the_flag_rules) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, 2, nullptr);
    choose_voice(app, dialog, 1, nullptr); // unmodified: no prompt

    user_picks(dialog, op_control(3, IDC_OP1_MUL), 9);
    choose_voice(app, dialog, 2, "&No");
    choose_voice(app, dialog, 3, nullptr); // No cleared the flag
    expect(file_bytes(rom) == kavelo::make_demo_rom(), "No writes nothing");

    user_picks(dialog, op_control(3, IDC_OP1_MUL), 9);
    choose_voice(app, dialog, 4, "&Yes");
    expect_equal(stored_voice(file_bytes(rom), 2, 3)[2] & 0x0F, 9,
                 "Yes saves into the voice that was shown");
    expect(stored_voice(file_bytes(rom), 2, 4) == stored_voice(kavelo::make_demo_rom(), 2, 4),
           "the newly chosen voice is untouched");

    // "Save to ROM" keeps the flag, so the next change still asks.
    user_picks(dialog, op_control(1, IDC_OP1_AR), 3);
    save_to_rom(app, dialog);
    choose_track(app, dialog, 5, "&No");
    expect_equal(shown(dialog, IDC_TRACK_LIST), "Rustworks Zone",
                 "the track changed after the prompt");

    // A click on AME is not a selection change; a click in a list box is.
    SendMessageA(dialog_item(dialog, op_control(1, IDC_OP1_AME)), BM_CLICK, 0, 0);
    choose_voice(app, dialog, 1, nullptr);
    select_list_entry(dialog, IDC_IMPORT_LIST, -1);
    choose_voice(app, dialog, 0, "&No");
}

KAVELO_GUI_TEST(voice_editor_copy_in_one_track_paste_in_another) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    post_command(dialog, IDM_PASTE_VOICE); // never copied: nothing changes
    choose_track(app, dialog, 4, nullptr);
    choose_voice(app, dialog, 2, nullptr);
    user_picks(dialog, op_control(2, IDC_OP1_TL), 100);
    const kavelo::voice_record copied = displayed_voice(dialog);
    post_command(dialog, IDM_COPY_VOICE);
    choose_track(app, dialog, 6, "&No");
    expect_equal(shown(dialog, IDC_TRACK_LIST), "Invincibility", "track 6 shown");
    post_command(dialog, IDM_PASTE_VOICE);
    expect(wait_until([&] { return displayed_voice(dialog) == copied; }),
           "Paste shows the copied voice");
    save_to_rom(app, dialog);
    expect(stored_voice(file_bytes(rom), 6, 0) == copied,
           "Save to ROM writes it into voice 0 of the new track");
    expect(stored_voice(file_bytes(rom), 4, 2) == stored_voice(kavelo::make_demo_rom(), 4, 2),
           "the copied voice's own slot is untouched");
    save_screenshot(dialog, "pasted");
}

KAVELO_GUI_TEST(voice_editor_close_asks_then_destroys_and_reopens) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    post_command(app.main(), IDM_VOICE_EDITOR); // a second request brings the same editor forward
    expect(wait_until([&] { return count_dialogs(app, editor_title) == 1; }),
           "one editor at a time");
    user_picks(dialog, IDC_ALG_LIST, 7);
    post_command(dialog, IDCANCEL);
    expect(answer_message_box(app.process().pid(), "Prompt", "&Yes"), "Close asks");
    expect(wait_until([&] { return !IsWindow(dialog); }), "Close destroys the window");
    expect_equal(stored_voice(file_bytes(rom), 0, 0)[0] & 7, 7, "Yes saved the algorithm");
    HWND again = open_voice_editor(app);
    expect(again != nullptr && IsWindowVisible(again), "the next command opens a fresh editor");
}

} // namespace gui
