// Voice files in the Voice editor: the Export bank list, banks, a TX81Z dump, a music log and
// instrument files imported, listed, sent to the editor and saved; exports by format name.

#include "flows.h"

#include "formats/fm_operator_fields.h"
#include "formats/tx81z.h"
#include "formats/voice_formats.h"
#include "formats/ymx_bank.h"
#include "vgm/vgm_log_writer.h"

#include <algorithm>

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

// A 32-voice TX81Z bulk dump with a valid header, checksum and end byte.
std::vector<unsigned char> tx81z_dump() {
    std::vector<unsigned char> dump{0xF0, 0x43, 0x00, 0x04, 0x20, 0x00};
    unsigned sum = 0;
    for (int v = 0; v < 32; ++v) {
        unsigned char voice[128] = {};
        for (int block = 0; block < 4; ++block) {
            unsigned char* op = voice + 10 * block;
            const int k = v + block;
            const int levels[10] = {
                31 - k % 20,           (v * 3 + block) % 32,
                (v + 2 * block) % 16,  4 + k % 12,
                15 - k % 10,           0,
                k % 3 == 0 ? 0x40 : 0, block == 3 ? 99 : 60 + (v * 7 + block) % 35,
                4 * (k % 8),           (k % 4) << 3 | k % 7}; // AR .. OUT, CRS, DET/FIN
            std::copy(std::begin(levels), std::end(levels), op);
        }
        voice[40] = static_cast<unsigned char>(0x40 | ((v % 8) << 3) | (v % 8)); // SY, FBL, ALG
        const std::string name = "TX Brass" + std::to_string(v);
        std::copy_n(name.begin(), std::min<std::size_t>(10, name.size()), voice + 57);
        for (unsigned char byte : voice) {
            dump.push_back(byte);
            sum += byte;
        }
    }
    dump.push_back(static_cast<unsigned char>((128 - sum % 128) % 128));
    dump.push_back(0xF7);
    return dump;
}

// Music log instrument i: algorithm 4 (carriers OP4 and OP3, the first two TL bytes), OP1's
// DT/MUL set to i so each is another instrument, heard at carrier level `tl`.
kavelo::voice_record instrument(int i, uint8_t tl) {
    kavelo::voice_record v = *kavelo::voice_from_hex("24713201311f1f1f1f0a0b0c0d01020304"
                                                     "1f2f3f4f10200a30");
    v[4] = static_cast<uint8_t>(i);
    v[21] = tl;
    v[22] = static_cast<uint8_t>(tl + 8);
    return v;
}

// A log that keys each instrument at two volumes, a fade-in: the louder step comes second.
std::vector<uint8_t> music_log(int instruments) {
    kavelo::vgm_log_writer log;
    const int bases[6] = {0x3C, 0x5C, 0x6C, 0x7C, 0x8C, 0x4C};
    for (int i = 0; i < instruments; ++i) {
        for (uint8_t tl : {0x28, 0x08}) {
            const kavelo::voice_record v = instrument(i, tl);
            log.ym2612(0, 0xB0, v[0]);
            for (int g = 0; g < 24; ++g) {
                log.ym2612(0, static_cast<uint8_t>(bases[g / 4] - 4 * (g % 4)), v[1 + g]);
            }
            log.ym2612(0, 0x28, 0xF0);
            log.wait_until(log.now() + 735);
        }
    }
    return log.finish(7670453, {});
}

// In-range fields that every format holds (no detune 4 or 7).
kavelo::named_voice test_voice(int seed, const std::string& name) {
    kavelo::voice_params v{uint8_t(seed % 8), uint8_t((seed + 3) % 8), {}};
    for (int i = 0; i < 4; ++i) {
        v.op[i] = {uint8_t((seed + i) % 7),
                   uint8_t(seed % 16),
                   uint8_t((seed * 7 + i * 9) % 128),
                   1,
                   uint8_t(31 - i),
                   uint8_t(i % 2),
                   uint8_t(seed % 32),
                   4,
                   9,
                   7};
    }
    return {kavelo::pack_voice(v), name};
}

std::vector<unsigned char> encoded(const char* id, const std::vector<kavelo::named_voice>& voices) {
    std::vector<uint8_t> bytes;
    for (const kavelo::voice_format& format : kavelo::voice_formats()) {
        if (format.id == id) {
            kavelo::write_voice_bytes(format, voices, bytes);
        }
    }
    return bytes;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_exports_a_bank_and_imports_it_back) {
    rom_session app;
    voice_editor editor(app, 2);
    std::vector<kavelo::bank_voice> expected;
    for (int v = 0; v < 3; ++v) {
        editor.choose_voice(v * 2);
        editor.press(IDC_ADD_VOICE_TO_BANK);
        expected.push_back({stored_voice(app.original, 2, v * 2), "Voice " + std::to_string(v)});
    }
    expect_export_list(editor, {"Voice 0", "Voice 1", "Voice 2"}, -1, "three adds");

    // The last renamed, exported over an older file and read back.
    editor.select(IDC_EXPORT_LIST, 2);
    set_text(editor.item(IDC_VOICE_NAME), "Bell Lead");
    expected[2].name = "Bell Lead";
    const std::string bank = write_work_file(current_test() + ".ymx", {1, 2, 3});
    editor.answer_file_dialog(IDC_EXPORT_BANK, bank);
    std::vector<uint8_t> bytes;
    kavelo::bank_write(expected, bytes);
    expect(editor.written_file(bank) == bytes, "the bank file holds the three entries");
    expect(editor.import(IDM_IMPORT_YMX, bank, 3) ==
               std::vector<std::string>{"Voice 0", "Voice 1", "Bell Lead"},
           "imported names");
    editor.send_to_voice(2, expected[2].voice, "the bank's third voice");
    editor.double_click(IDC_IMPORT_LIST);
    expect_soon([&] { return editor.list(IDC_EXPORT_LIST).size() == 4; },
                "a double-click adds the entry");
    expect_equal(editor.list(IDC_EXPORT_LIST).back(), "Bell Lead", "under its imported name");
    save_screenshot({editor.dialog}, "imported");

    // The list's commands keep names and selection.
    editor.press(IDC_EXPORT_CLEAR);
    expect_export_list(editor, {}, -1, "Clear");
    for (int v = 0; v < 3; ++v) {
        editor.press(IDC_ADD_VOICE_TO_BANK);
    }
    expect_export_list(editor, {"Voice 0", "Voice 1", "Voice 2"}, -1, "Clear then Add");
    editor.select(IDC_EXPORT_LIST, 1);
    expect_equal(editor.shown(IDC_VOICE_NAME), "Voice 1", "Voice Name shows the entry");
    set_text(editor.item(IDC_VOICE_NAME), "Warm Brass Lead");
    expect_export_list(editor, {"Voice 0", "Warm Brass", "Voice 2"}, 1,
                       "typing renames, cut at 10");
    expect_equal(SendMessageA(editor.item(IDC_VOICE_NAME), EM_GETLIMITTEXT, 0, 0), 10,
                 "the Voice Name field takes 10 characters");
    const std::vector<std::string> moved{"Warm Brass", "Voice 0", "Voice 2"};
    editor.press(IDC_EXPORT_UP);
    expect_export_list(editor, moved, 0, "Up");
    editor.press(IDC_EXPORT_UP);
    expect_export_list(editor, moved, 0, "Up on the first entry");
    editor.select(IDC_EXPORT_LIST, 2);
    editor.press(IDC_EXPORT_DOWN);
    expect_export_list(editor, moved, 2, "Down on the last entry");
    editor.press(IDC_EXPORT_DELETE);
    expect_export_list(editor, {"Warm Brass", "Voice 0"}, 1, "deleting the last selects the last");
    editor.select(IDC_EXPORT_LIST, 0);
    editor.press(IDC_EXPORT_DELETE);
    expect_export_list(editor, {"Voice 0"}, 0, "deleting the first selects the one moved up");
    editor.press(IDC_ADD_VOICE_TO_BANK);
    expect_export_list(editor, {"Voice 0", "Voice 1"}, 0, "the name comes from the count");
    save_screenshot({editor.dialog}, "bank-list");

    // A cancelled export dialog reports, as a failed write does.
    post_command(editor.dialog, IDC_EXPORT_BANK);
    app.cancel_dialog(app.dialog("Open"));
    app.expect_box("Error", "Unknown Error!");
}

KAVELO_GUI_TEST(voice_editor_imports_a_tx81z_dump_and_a_music_log) {
    rom_session app;
    voice_editor editor(app);
    const std::vector<unsigned char> dump = tx81z_dump();
    const std::vector<std::string> names =
        editor.import(IDM_IMPORT_TX81Z, write_work_file(current_test() + ".syx", dump), 32);
    expect_equal(names[0], "TX Brass0", "first name");
    expect_equal(names[31], "TX Brass31", "last name, 10 characters");
    kavelo::tx81z_store store;
    kavelo::tx81z_import_bytes(store, dump);
    const kavelo::voice_record converted = as_displayed(kavelo::tx81z_voice_to_record(store, 13));
    editor.send_to_voice(13, converted, "the converted voice");
    save_screenshot({editor.dialog}, "tx81z");
    editor.choose_track(3, "&No"); // selecting an import entry set the flag
    editor.save();
    expect(stored_voice(app.bytes(), 3, 0) != converted,
           "a track change shows that track's voice, not the sent one");
    editor.send_to_voice(13, converted, "the converted voice again");
    editor.save();
    expect(stored_voice(app.bytes(), 3, 0) == converted, "the TX81Z voice is in the file");

    // A music log: 120 instruments, each named after channel and key-ons.
    expect_equal(editor.import(IDM_IMPORT_VGM,
                               write_work_file(current_test() + ".vgm", music_log(120)), 120)[0],
                 "ch1 #2", "named after channel and key-ons, the volume steps grouped");
    SendMessageA(editor.item(IDC_IMPORT_LIST), LB_SETTOPINDEX, 70, 0);
    const kavelo::voice_record loud = as_displayed(instrument(77, 0x08));
    editor.send_to_voice(77, loud, "the loudest step");
    editor.double_click(IDC_IMPORT_LIST);
    expect_soon([&] { return editor.list(IDC_EXPORT_LIST) == std::vector<std::string>{"ch1 #2"}; },
                "a double-click adds it to the bank list");
    save_screenshot({editor.dialog}, "music-log");
    editor.save();
    expect(stored_voice(app.bytes(), 3, 0) == loud, "the voice is in the file");
    // A log that keys nothing leaves the list as it was and says why.
    editor.answer_file_dialog(IDM_IMPORT_VGM,
                              write_work_file(current_test() + "-silent.vgm", music_log(0)));
    app.expect_box("Import", "The log plays no YM2612 voice; there is nothing to import.",
                   "no-voice");
    expect_equal(editor.list(IDC_IMPORT_LIST).size(), 120, "the list is kept");
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
    const kavelo::voice_record lead_read = kavelo::read_tfi(lead_file).voices[0].voice;
    std::vector<unsigned char> bass_file = encoded("dmp", {bass});
    bass_file[7 + 10] = 0x09; // SSG-EG of OP1, which a voice cannot hold
    write_work_file(work_name("bass.dmp"), bass_file);
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
    expect(contains(app.log_text(),
                    work_name("bass.dmp") + ": dropped what a voice cannot hold: SSG-EG"),
           "the Status log notes the dropped SSG-EG");
    editor.send_to_voice(bass_index, bass.voice, "the DefleMask voice");
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
    editor.double_click(IDC_IMPORT_LIST);
    expect_soon([&] { return editor.list(IDC_EXPORT_LIST).size() == 3; },
                "a double-click adds the bank voice");
    save_screenshot({editor.dialog}, "imported");

    // Export Bank As and Export Voice in the format the name gives; older files there are
    // replaced or gone, so only this run's writing can match.
    const std::string wopn = write_work_file(work_name("out.wopn"), {9});
    editor.answer_file_dialog(IDM_EXPORT_BANK_AS, wopn, "export-bank-as-dialog");
    const std::vector<uint8_t> got = editor.written_file(wopn);
    const std::vector<unsigned char> want =
        encoded("wopn", {{bass.voice, work_name("bass").substr(0, 10)},
                         {lead_read, work_name("lead").substr(0, 10)},
                         gyb[1]});
    expect(got == want, "the WOPN bank holds the three voices with their list names (" +
                            std::to_string(got.size()) + " bytes)");
    expect(contains(app.log_text(), "Bank of 3 voices exported"),
           "the Status log reports the export");
    const std::string opni = work_path("one.opni");
    DeleteFileA(opni.c_str());
    editor.answer_file_dialog(IDM_EXPORT_VOICE, opni);
    expect(editor.written_file(opni) == encoded("opni", {{bass.voice, "Voice 0"}}),
           "the OPNI file holds the shown voice");
}

} // namespace gui
