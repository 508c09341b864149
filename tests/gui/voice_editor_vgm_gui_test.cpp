// Import > Music Log (VGM): a log of 120 instruments, each keyed at two volumes, lists 120
// voices; one sent to the editor lands in the file, one double-clicked joins the bank list.
// A log without a voice says so.

#include "voice_editor_support.h"

namespace gui {

namespace {

// Instrument i: algorithm 4 (carriers OP4 and OP3, the first two TL bytes), OP1's DT/MUL
// set to i so each is another instrument, heard at carrier level `tl`.
kavelo::voice_record instrument(int i, unsigned char tl) {
    kavelo::voice_record v = *kavelo::voice_from_hex("2471320131"
                                                     "1f1f1f1f"
                                                     "0a0b0c0d"
                                                     "01020304"
                                                     "1f2f3f4f"
                                                     "10200a30");
    v[4] = static_cast<unsigned char>(i);
    v[21] = tl;
    v[22] = static_cast<unsigned char>(tl + 8);
    return v;
}

std::vector<unsigned char> music_log(int instruments) {
    std::vector<unsigned char> log(0x40, 0);
    log[0] = 'V', log[1] = 'g', log[2] = 'm', log[3] = ' ', log[0x08] = 0x50, log[0x09] = 1;
    log[0x34] = 0x0C;
    auto write = [&](int reg, int value) {
        log.push_back(0x52);
        log.push_back(static_cast<unsigned char>(reg));
        log.push_back(static_cast<unsigned char>(value));
    };
    const int bases[6] = {0x3C, 0x5C, 0x6C, 0x7C, 0x8C, 0x4C};
    for (int i = 0; i < instruments; ++i) {
        for (unsigned char tl : {0x28, 0x08}) { // a fade-in: the louder step comes second
            const kavelo::voice_record v = instrument(i, tl);
            write(0xB0, v[0]);
            for (int g = 0; g < 6; ++g) {
                for (int k = 0; k < 4; ++k) {
                    write(bases[g] - 4 * k, v[1 + 4 * g + k]);
                }
            }
            write(0x28, 0xF0);
            log.push_back(0x62);
        }
    }
    log.push_back(0x66);
    return log;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_imports_the_voices_of_a_music_log) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    const std::string vgm = write_work_file(current_test() + ".vgm", music_log(120));
    answer_file_dialog(app, dialog, IDM_IMPORT_VGM, vgm);
    const HWND imports = dialog_item(dialog, IDC_IMPORT_LIST);
    expect(wait_until([&] { return list_box_items(imports).size() == 120; }),
           "120 voices listed, the volume steps grouped");
    expect_equal(list_box_items(imports)[0], "ch1 #2", "named after channel and key-ons");

    select_list_entry(dialog, IDC_IMPORT_LIST, 77);
    SendMessageA(imports, LB_SETTOPINDEX, 70, 0);
    press_button(dialog, IDC_SEND_TO_VOICE);
    const kavelo::voice_record loud = instrument(77, 0x08);
    expect(wait_until([&] { return displayed_voice(dialog) == as_displayed(loud); }),
           "Send to Voice shows the loudest step");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(imports));
    expect(wait_until([&] {
               return list_box_items(dialog_item(dialog, IDC_EXPORT_LIST)) ==
                      std::vector<std::string>{"ch1 #2"};
           }),
           "a double-click adds it to the bank list");
    save_screenshot(dialog, "music-log");
    save_to_rom(app, dialog);
    expect(stored_voice(file_bytes(rom), 0, 0) == as_displayed(loud), "the voice is in the file");

    // A log that keys nothing leaves the list as it was and says why.
    const std::string silent = write_work_file(current_test() + "-silent.vgm", music_log(0));
    answer_file_dialog(app, dialog, IDM_IMPORT_VGM, silent);
    HWND box = wait_dialog(app.process().pid(), "Import");
    expect(box != nullptr &&
               find_child(box, "Static",
                          "The log plays no YM2612 voice; there is nothing to import.") != nullptr,
           "the message box says the log has no voice");
    save_screenshot(box, "no-voice");
    expect(answer_message_box(app.process().pid(), "Import", "OK"), "OK closes it");
    expect_equal(static_cast<long long>(list_box_items(imports).size()), 120, "the list is kept");
}

} // namespace gui
