// The Voice editor's two list panels: the Export bank list and its commands, exporting a
// bank and importing it back, and a TX81Z dump whose voice is saved into the file.

#include "voice_editor_support.h"

#include "formats/tx81z.h"
#include "formats/ymx_bank.h"
#include "demo/demo_rom.h"

namespace gui {

namespace {

std::vector<std::string> export_names(HWND dialog) {
    return list_box_items(dialog_item(dialog, IDC_EXPORT_LIST));
}
int export_selection(HWND dialog) {
    return static_cast<int>(SendMessageA(dialog_item(dialog, IDC_EXPORT_LIST), LB_GETCURSEL, 0, 0));
}
void expect_export_list(HWND dialog, const std::vector<std::string>& names, int selection,
                        const std::string& what) {
    expect(wait_until([&] {
               return export_names(dialog) == names && export_selection(dialog) == selection;
           }),
           what + ": the Export bank list shows the expected entries and selection");
}

// A 32-voice TX81Z bulk dump with a valid header, checksum and end byte.
std::vector<unsigned char> tx81z_dump() {
    std::vector<unsigned char> dump{0xF0, 0x43, 0x00, 0x04, 0x20, 0x00};
    unsigned sum = 0;
    for (int v = 0; v < 32; ++v) {
        unsigned char voice[128] = {};
        for (int block = 0; block < 4; ++block) {
            unsigned char* op = voice + 10 * block;
            op[0] = static_cast<unsigned char>(31 - (v + block) % 20); // AR
            op[1] = static_cast<unsigned char>((v * 3 + block) % 32);  // D1R
            op[2] = static_cast<unsigned char>((v + 2 * block) % 16);  // D2R
            op[3] = static_cast<unsigned char>(4 + (v + block) % 12);  // RR
            op[4] = static_cast<unsigned char>(15 - (v + block) % 10); // D1L
            op[6] = static_cast<unsigned char>((v + block) % 3 == 0 ? 0x40 : 0x00);
            op[7] = static_cast<unsigned char>(block == 3 ? 99 : 60 + (v * 7 + block) % 35); // OUT
            op[8] = static_cast<unsigned char>(4 * ((v + block) % 8));                       // CRS
            op[9] = static_cast<unsigned char>(((v + block) % 4) << 3 | (v + block) % 7);
        }
        voice[40] = static_cast<unsigned char>(0x40 | ((v % 8) << 3) | (v % 8)); // SY, FBL, ALG
        const std::string name = "TX Brass" + std::to_string(v);
        for (std::size_t i = 0; i < 10 && i < name.size(); ++i) {
            voice[57 + i] = static_cast<unsigned char>(name[i]);
        }
        for (unsigned char byte : voice) {
            dump.push_back(byte);
            sum += byte;
        }
    }
    dump.push_back(static_cast<unsigned char>((128 - sum % 128) % 128));
    dump.push_back(0xF7);
    return dump;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_bank_list_commands_keep_names_and_selection) {
    kavelo_session app;
    app.open_file(fresh_demo_rom());
    HWND dialog = open_voice_editor(app);
    for (int i = 0; i < 3; ++i) {
        press_button(dialog, IDC_ADD_VOICE_TO_BANK);
    }
    expect_export_list(dialog, {"Voice 0", "Voice 1", "Voice 2"}, -1, "three adds");

    select_list_entry(dialog, IDC_EXPORT_LIST, 1);
    expect_equal(window_text(dialog_item(dialog, IDC_VOICE_NAME)), "Voice 1",
                 "Voice Name shows the entry");
    set_text(dialog_item(dialog, IDC_VOICE_NAME), "Warm Brass Lead");
    expect_export_list(dialog, {"Voice 0", "Warm Brass", "Voice 2"}, 1,
                       "typing renames, cut at 10");
    expect_equal(static_cast<long long>(
                     SendMessageA(dialog_item(dialog, IDC_VOICE_NAME), EM_GETLIMITTEXT, 0, 0)),
                 10, "the Voice Name field takes 10 characters");

    press_button(dialog, IDC_EXPORT_UP);
    expect_export_list(dialog, {"Warm Brass", "Voice 0", "Voice 2"}, 0, "Up");
    press_button(dialog, IDC_EXPORT_UP);
    expect_export_list(dialog, {"Warm Brass", "Voice 0", "Voice 2"}, 0, "Up on the first entry");
    select_list_entry(dialog, IDC_EXPORT_LIST, 2);
    press_button(dialog, IDC_EXPORT_DOWN);
    expect_export_list(dialog, {"Warm Brass", "Voice 0", "Voice 2"}, 2, "Down on the last entry");
    press_button(dialog, IDC_EXPORT_DELETE);
    expect_export_list(dialog, {"Warm Brass", "Voice 0"}, 1,
                       "deleting the last selects the new last");
    select_list_entry(dialog, IDC_EXPORT_LIST, 0);
    press_button(dialog, IDC_EXPORT_DELETE);
    expect_export_list(dialog, {"Voice 0"}, 0, "deleting the first selects the one that moved up");
    press_button(dialog, IDC_ADD_VOICE_TO_BANK);
    expect_export_list(dialog, {"Voice 0", "Voice 1"}, 0, "the name comes from the count");
    save_screenshot(dialog, "bank-list");
    press_button(dialog, IDC_EXPORT_CLEAR);
    expect_export_list(dialog, {}, -1, "Clear");
    press_button(dialog, IDC_ADD_VOICE_TO_BANK);
    expect_export_list(dialog, {"Voice 0"}, -1, "Clear then Add");
}

KAVELO_GUI_TEST(voice_editor_exports_a_bank_and_imports_it_back) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, 2, nullptr);
    std::vector<kavelo::bank_voice> expected;
    for (int v = 0; v < 3; ++v) {
        choose_voice(app, dialog, v * 2, nullptr);
        press_button(dialog, IDC_ADD_VOICE_TO_BANK);
        expected.push_back({stored_voice(file_bytes(rom), 2, v * 2), "Voice " + std::to_string(v)});
    }
    select_list_entry(dialog, IDC_EXPORT_LIST, 2);
    set_text(dialog_item(dialog, IDC_VOICE_NAME), "Bell Lead");
    expected[2].name = "Bell Lead";

    const std::string bank = write_work_file(current_test() + ".ymx", {1, 2, 3}); // replaced
    answer_file_dialog(app, dialog, IDC_EXPORT_BANK, bank);
    std::vector<uint8_t> bytes;
    std::string problem;
    kavelo::bank_write(expected, bytes, problem);
    expect(written_file(app, dialog, bank) == bytes, "the bank file holds the three entries");

    answer_file_dialog(app, dialog, IDM_IMPORT_YMX, bank);
    const HWND imports = dialog_item(dialog, IDC_IMPORT_LIST);
    expect(wait_until([&] { return list_box_items(imports).size() == 3; }),
           "the Import list fills");
    expect(list_box_items(imports) == std::vector<std::string>{"Voice 0", "Voice 1", "Bell Lead"},
           "imported names");
    select_list_entry(dialog, IDC_IMPORT_LIST, 2);
    press_button(dialog, IDC_SEND_TO_VOICE);
    expect(wait_until([&] { return displayed_voice(dialog) == expected[2].voice; }),
           "Send to Voice shows it");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(imports));
    expect(wait_until([&] { return export_names(dialog).size() == 4; }),
           "a double-click adds the entry");
    expect_equal(export_names(dialog).back(), "Bell Lead", "under its imported name");
    save_screenshot(dialog, "imported");

    // A cancelled export dialog reports, as a failed write does.
    post_command(dialog, IDC_EXPORT_BANK);
    HWND open = wait_dialog(app.process().pid(), "Open");
    expect(open != nullptr, "the export asks for a file");
    app.cancel_dialog(open);
    HWND box = wait_dialog(app.process().pid(), "Error");
    expect(box != nullptr && find_child(box, "Static", "Unknown Error!") != nullptr,
           "\"Unknown Error!\"");
    expect(answer_message_box(app.process().pid(), "Error", "OK"), "OK closes it");
}

KAVELO_GUI_TEST(voice_editor_tx81z_voice_lands_in_the_file) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    const std::vector<unsigned char> dump = tx81z_dump();
    const std::string syx = write_work_file(current_test() + ".syx", dump);
    answer_file_dialog(app, dialog, IDM_IMPORT_TX81Z, syx);
    const HWND imports = dialog_item(dialog, IDC_IMPORT_LIST);
    expect(wait_until([&] { return list_box_items(imports).size() == 32; }), "32 voices listed");
    expect_equal(list_box_items(imports)[0], "TX Brass0", "first name");
    expect_equal(list_box_items(imports)[31], "TX Brass31", "last name, 10 characters");

    kavelo::tx81z_store store;
    kavelo::tx81z_import_bytes(store, std::vector<uint8_t>(dump.begin(), dump.end()));
    const kavelo::voice_record converted = kavelo::tx81z_voice_to_record(store, 13);
    select_list_entry(dialog, IDC_IMPORT_LIST, 13);
    press_button(dialog, IDC_SEND_TO_VOICE);
    expect(wait_until([&] { return displayed_voice(dialog) == as_displayed(converted); }),
           "Send to Voice");
    save_screenshot(dialog, "tx81z");
    choose_track(app, dialog, 3, "&No"); // selecting an import entry set the flag
    save_to_rom(app, dialog);
    expect(stored_voice(file_bytes(rom), 3, 0) != as_displayed(converted),
           "a track change shows that track's voice, not the sent one");
    select_list_entry(dialog, IDC_IMPORT_LIST, 13);
    press_button(dialog, IDC_SEND_TO_VOICE);
    expect(wait_until([&] { return displayed_voice(dialog) == as_displayed(converted); }),
           "sent again");
    save_to_rom(app, dialog);
    expect(stored_voice(file_bytes(rom), 3, 0) == as_displayed(converted),
           "the TX81Z voice is in the file");
}

} // namespace gui
