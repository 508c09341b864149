// The Track Header Editor: fields, typed numbers, a failed write, tracks of other shapes,
// and commits beside the Voice editor's.

#include "flows.h"

#include "header_editor/header_fields.h"
#include "rom/track_table.h"

namespace gui {

namespace {

void expect_changed(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                    const std::vector<std::size_t>& offsets, const std::string& what) {
    expect(changed_offsets(before, after) == offsets, what + ": exactly its bytes change");
}

std::string shown_byte(const std::vector<uint8_t>& image, std::size_t at) {
    return kavelo::format_header_byte(image[at]);
}

} // namespace

KAVELO_GUI_TEST(header_editor_each_field_lands_in_its_own_byte) {
    rom_session app;
    header_editor header(app);
    save_screenshot({header.dialog}, "dialog");
    const std::vector<std::string> names = items(header.item(IDC_HEADER_TRACK_LIST));
    expect_equal(names.size(), 19, "tracks listed");
    for (std::size_t i = 0; i < names.size(); ++i) {
        expect_equal(names[i], std::string(kavelo::track_table[i].name),
                     "track " + std::to_string(i));
    }
    expect_equal(SendMessageA(header.item(IDC_HEADER_TRACK_LIST), CB_GETCURSEL, 0, 0), 0,
                 "track 0 is selected");
    const uint32_t start = track_start(0);
    const kavelo::track_header_layout layout =
        kavelo::header_layout(app.original[start + 2], app.original[start + 3]);
    for (const kavelo::header_field& f : kavelo::header_fields) {
        const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout);
        expect_equal(header.field(f.control_id),
                     byte ? shown_byte(app.original, start + *byte) : "",
                     std::string(f.name) + " shows its byte, or nothing");
        expect_equal(IsWindowEnabled(header.item(f.control_id)) != 0, byte.has_value(),
                     std::string(f.name) + " is enabled exactly when the header has its channel");
    }
    expect_equal(header.field(IDC_HEADER_FM6_GROUP), "Channel 6", "the added group");
    for (int id : {IDC_HEADER_MUTE_FM1, IDC_HEADER_MUTE_FM5, IDC_HEADER_MUTE_PSG3}) {
        expect(!IsWindowEnabled(header.item(id)), "Mute boxes are disabled");
    }
    header.commit();
    expect(app.bytes() == app.original, "reading and committing leaves the file byte for byte");
    for (const kavelo::header_field& f : kavelo::header_fields) {
        if (const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout)) {
            const std::vector<uint8_t> before = app.bytes();
            header.type(f.control_id, before[start + *byte] == 201 ? "202" : "201");
            header.commit();
            expect_changed(before, app.bytes(), {start + *byte}, std::string(f.name));
        }
    }
    header.close();
}

KAVELO_GUI_TEST(header_editor_commits_typed_numbers_and_reports_a_failed_write) {
    rom_session app;
    header_editor header(app);
    header.show_track(app.original, 5);
    const uint32_t start = track_start(5);
    header.type(IDC_HEADER_SONG_TEMPO, "7");
    header.commit();
    expect_changed(app.original, app.bytes(), {start + 5}, "song tempo 7");
    const std::pair<const char*, int> cases[] = {{"-12", 244}, {"300", 44},   {"abc", 0},
                                                 {" 7x", 7},   {"1234", 123}, {"", 0}};
    for (const auto& [text, value] : cases) {
        header.type(IDC_HEADER_FM3_VOLUME, text);
        header.commit();
        expect_equal(app.bytes()[start + 21], value, std::string("\"") + text + "\" commits");
    }
    save_screenshot({header.dialog}, "after-commits");

    // A track change discards an edit.
    const std::vector<uint8_t> before = app.bytes();
    header.type(IDC_HEADER_HALF_TEMPO, "99");
    header.show_track(before, 9);
    expect_equal(header.field(IDC_HEADER_HALF_TEMPO), shown_byte(before, track_start(9) + 4),
                 "the new track's value replaces the edit");
    header.commit();
    expect(app.bytes() == before, "the discarded edit is not written");

    SetFileAttributesA(app.rom.c_str(), FILE_ATTRIBUTE_READONLY);
    header.type(IDC_HEADER_SONG_TEMPO, "3");
    click_button(header.item(IDOK));
    app.expect_box("Error!", "Error Commiting Header to ROM!", "error");
    app.wait_log_ends_with("  * Writing changes to ROM\r\nError Commiting Header to ROM!\r\n");
    SetFileAttributesA(app.rom.c_str(), FILE_ATTRIBUTE_NORMAL);
    expect(app.bytes() == before, "a commit that cannot write leaves the file");
    expect_equal(header.field(IDC_HEADER_SONG_TEMPO), "3", "the typed value stays");

    // Enter in a field commits.
    header.type(IDC_HEADER_SONG_TEMPO, "12");
    expect(bring_to_front(header.dialog), "the dialog comes to the front");
    click_at(centre(header.item(IDC_HEADER_SONG_TEMPO)));
    const std::string log = app.log_text();
    press_chord({}, VK_RETURN);
    app.wait_commit_logged(log, "  * Header Edited successfully!\r\n");
    expect_equal(app.bytes()[track_start(9) + 5], 12, "Enter committed the field");
}

// Commits of both editors interleaved, each into its own track; then tracks of other
// shapes: a sixth FM channel (8), no PSG channel (17), 33 voices (16).
KAVELO_GUI_TEST(header_and_voice_editors_commit_into_each_tracks_own_bytes) {
    rom_session app;
    voice_editor voices(app, 2);
    header_editor header(app);
    expect(IsWindowEnabled(voices.dialog) && IsWindowEnabled(app.main()), "both stay usable");
    header.show_track(app.original, 9);
    save_screenshot({}, "both-editors");
    header.type(IDC_HEADER_SONG_TEMPO, "33");
    header.commit();
    voices.pick(op_control(4, IDC_OP1_TL), 66);
    voices.save();
    header.pick_track(4);
    voices.choose_track(7, "&No");
    header.type(IDC_HEADER_FM1_KEY, "44");
    header.commit();
    voices.pick(op_control(1, IDC_OP1_MUL), 11);
    voices.save();
    std::vector<uint8_t> before = app.bytes();
    expect_changes_within(app.original, before,
                          {{track_start(9) + 5, 1},
                           {track_start(4) + 12, 1},
                           {voice_slot(app.original, 2, 0), 25},
                           {voice_slot(app.original, 7, 0), 25}},
                          "each byte belongs to a commit");
    expect_equal(before[track_start(9) + 5], 33, "the header commit wrote track 9");
    expect_equal(before[track_start(4) + 12], 44, "then track 4");
    expect_equal(stored_voice(before, 2, 0)[21], 66, "the voice save wrote track 2");
    expect_equal(stored_voice(before, 7, 0)[4] & 0x0F, 11, "then track 7");

    // Track 8: 7 FM entries, so the PSG entries move 4 bytes on.
    header.show_track(before, 8);
    const uint32_t start8 = track_start(8);
    expect_equal(header.field(IDC_HEADER_FM6_KEY), shown_byte(before, start8 + 32),
                 "FM channel 6 shows its key modifier");
    expect(IsWindowEnabled(header.item(IDC_HEADER_FM6_VOLUME)), "and is enabled");
    expect_equal(header.field(IDC_HEADER_PSG1_KEY), shown_byte(before, start8 + 36),
                 "PSG 1 after the FM entries");
    save_screenshot({header.dialog}, "track-8");
    header.type(IDC_HEADER_FM6_VOLUME, "77");
    header.type(IDC_HEADER_PSG3_VOLUME, "78");
    header.commit();
    expect_changed(before, app.bytes(), {start8 + 33, start8 + 49}, "FM 6 and PSG 3 volume");

    // Track 17: no PSG entry; its channel data begins where PSG fields would lie.
    before = app.bytes();
    header.show_track(before, 17);
    const uint32_t start17 = track_start(17);
    for (int id = IDC_HEADER_PSG1_KEY; id <= IDC_HEADER_PSG3_VOLUME; ++id) {
        expect(!IsWindowEnabled(header.item(id)) && header.field(id).empty(),
               "PSG fields are disabled and empty");
    }
    expect(!IsWindowEnabled(header.item(IDC_HEADER_FM6_KEY)), "no sixth FM channel");
    expect_equal(header.field(IDC_HEADER_FM5_KEY), shown_byte(before, start17 + 28), "FM 5");
    save_screenshot({header.dialog}, "track-17");
    header.type(IDC_HEADER_FM5_KEY, "55");
    header.commit();
    expect_changed(before, app.bytes(), {start17 + 28}, "track 17's FM 5 key");
    header.close();

    before = app.bytes();
    voices.choose_track(16, "&No");
    const std::vector<std::string> listed = voices.list(IDC_VOICE_LIST);
    expect(listed.size() == 33 && listed.back() == "Voice 32", "33 voices listed");
    voices.choose_voice(32);
    expect(voices.voice() == as_displayed(stored_voice(before, 16, 32)), "voice 32 is shown");
    save_screenshot({voices.dialog}, "track-16");
    voices.pick(op_control(4, IDC_OP1_TL), 66);
    voices.save();
    expect_changes_within(before, app.bytes(), {{voice_slot(before, 16, 32), 25}}, "voice 32");
    expect_equal(stored_voice(app.bytes(), 16, 32)[21], 66, "voice 32 saved");
}

} // namespace gui
