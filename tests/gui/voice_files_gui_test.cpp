// Voice files in the Voice editor: the Export bank list; banks, instrument files, a TX81Z
// dump and a music log imported, listed and sent to the editor; exports by format name.

#include "flows.h"

#include "fm/preview_render.h"
#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"
#include "formats/ymx_bank.h"
#include "vgm/vgm_log_writer.h"

namespace gui {

namespace {

void expect_export_list(const voice_editor& editor, const std::vector<std::string>& names,
                        int selection, const std::string& what) {
    expect_soon(
        [&] {
            return editor.list(IDC_EXPORT_LIST) == names &&
                   SendMessageA(editor.item(IDC_EXPORT_LIST), LB_GETCURSEL, 0, 0) == selection;
        },
        what + ": the Export bank list shows the expected entries and selection");
}

// In-range fields that every format holds (no detune 4 or 7); the later fields stay 0.
kavelo::named_voice test_voice(int seed, const std::string& name) {
    kavelo::voice_params v{uint8_t(seed % 8), uint8_t((seed + 3) % 8), {}};
    for (uint8_t i = 0; i < 4; ++i) {
        const auto field = [&](int step, int range) { return uint8_t((seed + step * i) % range); };
        v.op[i] = {field(1, 7), field(0, 16), field(9, 128), 1, field(1, 32), field(1, 2)};
    }
    return {kavelo::pack_voice(v), name};
}

std::vector<unsigned char> encoded(const char* id, const std::vector<kavelo::named_voice>& voices) {
    std::vector<uint8_t> bytes;
    kavelo::write_voice_bytes(*kavelo::voice_format_by_extension(std::string("x.") + id), voices,
                              bytes);
    return bytes;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_exports_a_bank_and_imports_it_back) {
    rom_session app;
    voice_editor editor(app, 2);
    std::vector<kavelo::bank_voice> expected;
    for (int v = 0; v < 3; ++v) {
        editor.choose(IDC_VOICE_LIST, v * 2);
        editor.press(IDC_ADD_VOICE_TO_BANK);
        expected.push_back({stored_voice(app.original, 2, v * 2), "Voice " + std::to_string(v)});
    }
    expect_export_list(editor, {"Voice 0", "Voice 1", "Voice 2"}, -1, "three adds");

    // The last renamed (cut at 10), exported over an older file and read back.
    editor.select(IDC_EXPORT_LIST, 2);
    set_text(editor.item(IDC_VOICE_NAME), "Warm Brass Lead");
    expected[2].name = "Warm Brass";
    expect_export_list(editor, {"Voice 0", "Voice 1", "Warm Brass"}, 2, "typing renames");
    const std::string bank = write_work_file(current_test() + ".ymx", {1, 2, 3});
    editor.answer_file_dialog(IDC_EXPORT_BANK, bank);
    std::vector<uint8_t> bytes;
    kavelo::bank_write(expected, bytes);
    expect(editor.written_file(bank) == bytes, "the bank file holds the three entries");
    expect(editor.import(IDM_IMPORT_YMX, bank, 3) ==
               std::vector<std::string>{"Voice 0", "Voice 1", "Warm Brass"},
           "imported names");
    editor.select(IDC_IMPORT_LIST, 2);
    PostMessageA(editor.dialog, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(editor.item(IDC_IMPORT_LIST)));
    expect_soon(
        [&] {
            return editor.list(IDC_EXPORT_LIST) ==
                   std::vector<std::string>{"Voice 0", "Voice 1", "Warm Brass", "Warm Brass"};
        },
        "a double-click adds the entry under its imported name");
    save_screenshot({editor.dialog}, "imported");

    // Up, Delete and Clear once each.
    editor.select(IDC_EXPORT_LIST, 1);
    editor.press(IDC_EXPORT_UP);
    expect_export_list(editor, {"Voice 1", "Voice 0", "Warm Brass", "Warm Brass"}, 0, "Up");
    editor.press(IDC_EXPORT_DELETE);
    expect_export_list(editor, {"Voice 0", "Warm Brass", "Warm Brass"}, 0, "Delete");
    editor.press(IDC_EXPORT_CLEAR);
    expect_export_list(editor, {}, -1, "Clear");

    // A cancelled export dialog reports, as a failed write does.
    post_command(editor.dialog, IDC_EXPORT_BANK);
    app.cancel_dialog(app.dialog("Open"));
    app.expect_box("Error", "Unknown Error!");
}

KAVELO_GUI_TEST(voice_editor_imports_instrument_files_and_exports_a_bank) {
    rom_session app;
    voice_editor editor(app);
    const auto work_name = [](const std::string& name) { return current_test() + "-" + name; };
    const kavelo::named_voice lead = test_voice(5, "");
    const kavelo::named_voice bass = test_voice(12, "");
    const std::vector<unsigned char> lead_file = encoded("tfi", {lead});
    write_work_file(work_name("lead.tfi"), lead_file);
    // TFI has no AM bit: the imported voice is what the file holds.
    const kavelo::voice_record lead_read =
        kavelo::read_voice_bytes("x.tfi", lead_file).voices[0].voice;
    write_work_file(work_name("bass.dmp"), encoded("dmp", {bass}));
    write_work_file(work_name("broken.tfi"), {1, 2, 3});

    // Several files in one Open dialog, typed as quoted names in the work folder.
    std::string quoted;
    for (const char* name : {"lead.tfi", "bass.dmp", "broken.tfi"}) {
        quoted.append(1, '"').append(work_name(name)).append("\" ");
    }
    editor.answer_file_dialog(IDM_IMPORT_INSTRUMENT_FILES, quoted, "instrument-files-dialog");
    app.expect_box("Error!", work_name("broken.tfi"), "refused-files");
    expect_soon([&] { return editor.list(IDC_IMPORT_LIST).size() == 2; },
                "the two readable files fill the Import list");
    const std::vector<std::string> names = editor.list(IDC_IMPORT_LIST);
    const int bass_index = names[0] == work_name("bass") ? 0 : 1;
    expect(names[bass_index] == work_name("bass") && names[1 - bass_index] == work_name("lead"),
           "voices are named after their files");
    editor.select(IDC_IMPORT_LIST, bass_index);
    editor.press(IDC_SEND_TO_VOICE);
    expect_soon([&] { return editor.voice() == bass.voice; }, "Send to Voice shows the voice");
    editor.press(IDC_ADD_IMPORT_TO_BANK);
    editor.select(IDC_IMPORT_LIST, 1 - bass_index);
    editor.press(IDC_ADD_IMPORT_TO_BANK);

    // A GYB bank through "Voice Bank...".
    const std::vector<kavelo::named_voice> gyb{test_voice(20, "Gyb Organ"),
                                               test_voice(21, "Gyb Bell")};
    expect(editor.import(IDM_IMPORT_VOICE_BANK,
                         write_work_file(work_name("bank.gyb"), encoded("gyb", gyb)),
                         2) == std::vector<std::string>{"Gyb Organ", "Gyb Bell"},
           "the bank's names fill the Import list");
    editor.select(IDC_IMPORT_LIST, 1);
    editor.press(IDC_ADD_IMPORT_TO_BANK);
    save_screenshot({editor.dialog}, "imported");

    // Export Bank As and Export Voice in the format the name gives, over an older file and
    // where none was, so only this run's writing can match.
    const std::string wopn = write_work_file(work_name("out.wopn"), {9});
    editor.answer_file_dialog(IDM_EXPORT_BANK_AS, wopn, "export-bank-as-dialog");
    const std::vector<uint8_t> got = editor.written_file(wopn);
    const std::vector<unsigned char> want =
        encoded("wopn", {{bass.voice, work_name("bass").substr(0, 10)},
                         {lead_read, work_name("lead").substr(0, 10)},
                         gyb[1]});
    expect(got == want, "the WOPN bank holds the three voices with their list names (" +
                            std::to_string(got.size()) + " bytes)");
    const std::string opni = work_path("one.opni");
    DeleteFileA(opni.c_str());
    editor.answer_file_dialog(IDM_EXPORT_VOICE, opni);
    expect(editor.written_file(opni) == encoded("opni", {{bass.voice, "Voice 0"}}),
           "the OPNI file holds the shown voice");

    // A TX81Z dump of one voice, and a music log that plays the voice of the ROM.
    std::vector<unsigned char> dump{0xF0, 0x43, 0x00, 0x04, 0x20, 0x00};
    dump.resize(6 + 128);
    std::string("TX Brass").copy(reinterpret_cast<char*>(&dump[6 + 57]), 8);
    dump.insert(dump.end(), {0, 0xF7}); // the checksum, which the import does not read
    expect(editor.import(IDM_IMPORT_TX81Z, write_work_file(work_name("dump.syx"), dump), 1) ==
               std::vector<std::string>{"TX Brass"},
           "the dump's voice name");
    // The log programs the ROM's voice as the Preview does and keys it on once.
    kavelo::vgm_log_writer log;
    kavelo::preview_voice_writes(stored_voice(app.original, 2, 1), 0,
                                 [&](uint8_t reg, uint8_t value) { log.ym2612(0, reg, value); });
    log.wait_until(735);
    expect(editor.import(IDM_IMPORT_VGM,
                         write_work_file(work_name("log.vgm"), log.finish(7670453, {})),
                         1) == std::vector<std::string>{"ch1 #1"},
           "the log's voice, named after channel and key-ons");
    save_screenshot({editor.dialog}, "music-log");
}

} // namespace gui
