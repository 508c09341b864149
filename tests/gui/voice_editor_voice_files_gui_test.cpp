// Instrument and bank files of every format in the Voice editor: importing several
// instrument files at once (one refused), a voice bank, and exporting a voice and the
// Export bank list in formats chosen by name.

#include "voice_editor_support.h"

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <algorithm>

namespace gui {

namespace {

kavelo::named_voice test_voice(uint8_t seed, const std::string& name) {
    kavelo::voice_params v;
    v.alg = seed % 8;
    v.fb = static_cast<uint8_t>((seed + 3) % 8);
    for (std::size_t i = 0; i < 4; ++i) {
        v.op[i] = {static_cast<uint8_t>((seed + i) % 7),
                   static_cast<uint8_t>(seed % 16),
                   static_cast<uint8_t>((seed * 7 + i * 9) % 128),
                   1,
                   static_cast<uint8_t>(31 - i),
                   static_cast<uint8_t>(i % 2),
                   static_cast<uint8_t>(seed % 32),
                   4,
                   9,
                   7};
    }
    return {kavelo::pack_voice(v), name};
}

std::vector<unsigned char> encoded(const char* id, const std::vector<kavelo::named_voice>& voices) {
    for (const kavelo::voice_format& format : kavelo::voice_formats()) {
        if (format.id == id) {
            std::vector<uint8_t> bytes;
            kavelo::write_voice_bytes(format, voices, bytes);
            return {bytes.begin(), bytes.end()};
        }
    }
    return {};
}

std::string work_name(const std::string& name) {
    return current_test() + "-" + name;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_imports_instrument_files_and_exports_a_bank) {
    kavelo_session app;
    app.open_file(fresh_demo_rom());
    HWND dialog = open_voice_editor(app);

    const kavelo::named_voice lead = test_voice(5, "");
    const kavelo::named_voice bass = test_voice(12, "");
    const std::vector<unsigned char> lead_file = encoded("tfi", {lead});
    write_work_file(work_name("lead.tfi"), lead_file);
    // TFI has no AM bit: the imported voice is what the file holds.
    const kavelo::voice_record lead_read =
        kavelo::read_tfi(std::vector<uint8_t>(lead_file.begin(), lead_file.end())).voices[0].voice;
    std::vector<unsigned char> bass_file = encoded("dmp", {bass});
    bass_file[7 + 10] = 0x09; // SSG-EG of OP1, which a voice cannot hold
    write_work_file(work_name("bass.dmp"), bass_file);
    write_work_file(work_name("broken.tfi"), {1, 2, 3});

    // Several files in one Open dialog, typed as quoted names in the work folder.
    post_command(dialog, IDM_IMPORT_INSTRUMENT_FILES);
    HWND open = wait_dialog(app.process().pid(), "Open");
    expect(open != nullptr, "Instrument Files... asks for files");
    save_screenshot(open, "instrument-files-dialog");
    std::string quoted;
    for (const char* name : {"lead.tfi", "bass.dmp", "broken.tfi"}) {
        quoted.append(1, '"').append(work_name(name)).append("\" ");
    }
    fill_file_dialog(open, quoted);
    expect(wait_gone(open), "the file dialog closes");
    HWND refused = wait_dialog(app.process().pid(), "Error!");
    expect(refused != nullptr, "a message box lists the refused file");
    save_screenshot(refused, "refused-files");
    bool named = false;
    for (HWND child : child_windows(refused)) {
        named = named || window_text(child).find(work_name("broken.tfi")) != std::string::npos;
    }
    expect(named, "the refused file is named");
    expect(answer_message_box(app.process().pid(), "Error!", "OK"), "OK closes it");

    const HWND imports = dialog_item(dialog, IDC_IMPORT_LIST);
    expect(wait_until([&] { return list_box_items(imports).size() == 2; }),
           "the two readable files fill the Import list");
    const std::vector<std::string> names = list_box_items(imports);
    expect(names == std::vector<std::string>{work_name("lead"), work_name("bass")} ||
               names == std::vector<std::string>{work_name("bass"), work_name("lead")},
           "voices are named after their files");
    expect(app.log_text().find(work_name("bass.dmp") +
                               ": dropped what a voice cannot hold: SSG-EG") != std::string::npos,
           "the Status log notes the dropped SSG-EG");
    const int bass_index = names[0] == work_name("bass") ? 0 : 1;
    select_list_entry(dialog, IDC_IMPORT_LIST, bass_index);
    press_button(dialog, IDC_SEND_TO_VOICE);
    expect(wait_until([&] { return displayed_voice(dialog) == bass.voice; }),
           "Send to Voice shows the DefleMask voice");
    press_button(dialog, IDC_ADD_IMPORT_TO_BANK);
    select_list_entry(dialog, IDC_IMPORT_LIST, 1 - bass_index);
    press_button(dialog, IDC_ADD_IMPORT_TO_BANK);

    // A GYB bank through "Voice Bank...".
    const std::vector<kavelo::named_voice> gyb_voices{test_voice(20, "Gyb Organ"),
                                                      test_voice(21, "Gyb Bell")};
    const std::string gyb = write_work_file(work_name("bank.gyb"), encoded("gyb", gyb_voices));
    answer_file_dialog(app, dialog, IDM_IMPORT_VOICE_BANK, gyb);
    expect(wait_until([&] {
               return list_box_items(imports) == std::vector<std::string>{"Gyb Organ", "Gyb Bell"};
           }),
           "the bank's names fill the Import list");
    select_list_entry(dialog, IDC_IMPORT_LIST, 1);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(imports));
    expect(wait_until(
               [&] { return list_box_items(dialog_item(dialog, IDC_EXPORT_LIST)).size() == 3; }),
           "a double-click adds the bank voice");
    save_screenshot(dialog, "imported");

    // "Export Bank As..." in the format its name gives.
    const std::string wopn = write_work_file(work_name("out.wopn"), {9});
    post_command(dialog, IDM_EXPORT_BANK_AS);
    HWND save = wait_dialog(app.process().pid(), "Open");
    expect(save != nullptr, "Export Bank As... asks for a file");
    save_screenshot(save, "export-bank-as-dialog");
    fill_file_dialog(save, wopn);
    expect(wait_until([&] { return !IsWindow(save); }), "the file dialog closes");
    const std::vector<kavelo::named_voice> exported{{bass.voice, work_name("bass").substr(0, 10)},
                                                    {lead_read, work_name("lead").substr(0, 10)},
                                                    gyb_voices[1]};
    const std::vector<unsigned char> want = encoded("wopn", exported);
    const std::vector<uint8_t> got = written_file(app, dialog, wopn);
    std::size_t differs = 0;
    while (differs < got.size() && differs < want.size() && got[differs] == want[differs]) {
        ++differs;
    }
    expect(std::equal(got.begin(), got.end(), want.begin(), want.end()),
           "the WOPN bank holds the three voices with their list names (" +
               std::to_string(got.size()) + " bytes, first difference at " +
               std::to_string(differs) + ")");
    expect(app.log_text().find("Bank of 3 voices exported") != std::string::npos,
           "the Status log reports the export");

    // "Export Voice..." writes the shown voice.
    const std::string opni = environment().work_dir + "\\" + work_name("one.opni");
    DeleteFileA(opni.c_str()); // an earlier run's file proves nothing
    answer_file_dialog(app, dialog, IDM_EXPORT_VOICE, opni);
    const std::vector<uint8_t> one = written_file(app, dialog, opni);
    const std::vector<unsigned char> voice_file = encoded("opni", {{bass.voice, "Voice 0"}});
    expect(std::equal(one.begin(), one.end(), voice_file.begin(), voice_file.end()),
           "the OPNI file holds the shown voice");
}

} // namespace gui
