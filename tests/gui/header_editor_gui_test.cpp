// The Track Header Editor as a user meets it: dialog 144 opened from Tools, its fields and
// track list, "Commit To ROM" with typed numbers, track changes, a bare track, and a
// commit that cannot write.

#include "voice_editor_support.h"

#include "header_editor/header_fields.h"
#include "header_editor_ids.h"
#include "resource.h"
#include "rom/track_table.h"

namespace gui {

namespace {

constexpr char header_title[] = "Edit General Track Properties";
constexpr char written_line[] = "  * Header Edited successfully!\r\n";

HWND open_header_editor(kavelo_session& app) {
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    HWND dialog = wait_dialog(app.process().pid(), header_title);
    expect(dialog != nullptr, "the Track Header Editor opens");
    return dialog;
}

void commit(kavelo_session& app, HWND dialog) {
    const std::string before = app.log_text();
    click_button(dialog_item(dialog, IDOK));
    wait_commit_logged(app, before, written_line);
}

std::string field(HWND dialog, int id) {
    return window_text(dialog_item(dialog, id));
}

} // namespace

KAVELO_GUI_TEST(header_editor_shows_track_zero_and_commits_it_unchanged) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> before = file_bytes(rom);
    HWND dialog = open_header_editor(app);
    save_screenshot(dialog, "dialog");
    expect(GetWindow(dialog, GW_OWNER) == nullptr, "the editor has no owner window");
    expect(IsWindowEnabled(app.main()), "the main window stays usable");

    HWND tracks = dialog_item(dialog, IDC_HEADER_TRACK_LIST);
    const std::vector<std::string> names = combo_box_items(tracks);
    expect_equal(static_cast<long long>(names.size()), 19, "tracks listed");
    for (std::size_t i = 0; i < names.size(); ++i) {
        expect_equal(names[i], std::string(kavelo::track_table[i].name),
                     "track list entry " + std::to_string(i));
    }
    expect_equal(combo_selection(tracks), 0, "track 0 is selected");
    const uint32_t start = kavelo::track_table[0].start;
    const kavelo::track_header_layout layout =
        kavelo::header_layout(before[start + 2], before[start + 3]);
    for (const kavelo::header_field& f : kavelo::header_fields) {
        const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout);
        expect_equal(field(dialog, f.control_id),
                     byte ? kavelo::format_header_byte(before[start + *byte]) : std::string(),
                     std::string(f.name) + " shows its byte");
        expect(IsWindowEnabled(dialog_item(dialog, f.control_id)) == byte.has_value(),
               std::string(f.name) + " is enabled exactly when the header has its channel");
    }
    for (int id : {IDC_HEADER_MUTE_FM1, IDC_HEADER_MUTE_FM5, IDC_HEADER_MUTE_PSG3}) {
        expect(!IsWindowEnabled(dialog_item(dialog, id)), "Mute boxes are disabled");
    }
    commit(app, dialog);
    expect(file_bytes(rom) == before, "reading and committing leaves the file byte for byte");
    click_button(dialog_item(dialog, IDCANCEL));
    expect(wait_gone(dialog), "Close ends the dialog");
}

KAVELO_GUI_TEST(header_editor_typed_numbers_commit_their_low_eight_bits) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_header_editor(app);
    user_picks(dialog, IDC_HEADER_TRACK_LIST, 5);
    const uint32_t start = kavelo::track_table[5].start;
    const std::vector<uint8_t> original = file_bytes(rom);
    expect(wait_until([&] {
               return field(dialog, IDC_HEADER_SONG_TEMPO) ==
                      kavelo::format_header_byte(original[start + 5]);
           }),
           "track 5's header is shown");

    set_text(dialog_item(dialog, IDC_HEADER_SONG_TEMPO), "7");
    commit(app, dialog);
    expect(changed_offsets(original, file_bytes(rom)) == std::vector<std::size_t>{start + 5},
           "song tempo 7 changes exactly byte start + 5");

    const std::pair<const char*, int> cases[] = {{"-12", 244}, {"300", 44},   {"abc", 0},
                                                 {" 7x", 7},   {"1234", 123}, {"", 0}};
    for (const auto& [text, value] : cases) {
        set_text(dialog_item(dialog, IDC_HEADER_FM3_VOLUME), text);
        commit(app, dialog);
        expect_equal(file_bytes(rom)[start + 21], value, std::string("\"") + text + "\" commits");
    }
    save_screenshot(dialog, "after-commits");
}

KAVELO_GUI_TEST(header_editor_each_field_lands_in_its_own_byte) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_header_editor(app);
    const uint32_t start = kavelo::track_table[0].start;
    const std::vector<uint8_t> original = file_bytes(rom);
    const kavelo::track_header_layout layout =
        kavelo::header_layout(original[start + 2], original[start + 3]);
    for (const kavelo::header_field& f : kavelo::header_fields) {
        const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout);
        if (!byte) {
            continue;
        }
        const std::vector<uint8_t> before = file_bytes(rom);
        const int value = before[start + *byte] == 201 ? 202 : 201;
        set_text(dialog_item(dialog, f.control_id), std::to_string(value));
        commit(app, dialog);
        expect(changed_offsets(before, file_bytes(rom)) == std::vector<std::size_t>{start + *byte},
               std::string(f.name) + " changes only its own byte");
    }
}

KAVELO_GUI_TEST(header_editor_track_change_discards_edits) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> original = file_bytes(rom);
    HWND dialog = open_header_editor(app);
    set_text(dialog_item(dialog, IDC_HEADER_HALF_TEMPO), "99");
    user_picks(dialog, IDC_HEADER_TRACK_LIST, 9);
    const std::string shown =
        kavelo::format_header_byte(original[kavelo::track_table[9].start + 4]);
    expect(wait_until([&] { return field(dialog, IDC_HEADER_HALF_TEMPO) == shown; }),
           "the new track's value replaces the edit");
    commit(app, dialog);
    expect(file_bytes(rom) == original, "the discarded edit is not written");
}

KAVELO_GUI_TEST(header_editor_bare_track_shows_the_first_48_bytes) {
    kavelo_session app;
    const std::string track = fresh_demo_track(11);
    app.open_file(track);
    const std::vector<uint8_t> before = file_bytes(track);
    HWND dialog = open_header_editor(app);
    save_screenshot(dialog, "bare-track");
    HWND tracks = dialog_item(dialog, IDC_HEADER_TRACK_LIST);
    expect(!IsWindowEnabled(tracks), "the track list is disabled");
    expect(combo_box_items(tracks).empty(), "the track list is empty");
    expect_equal(field(dialog, IDC_HEADER_FM5_VOLUME), kavelo::format_header_byte(before[29]),
                 "fields show the file's first bytes");
    set_text(dialog_item(dialog, IDC_HEADER_FM5_VOLUME), "255");
    commit(app, dialog);
    expect(changed_offsets(before, file_bytes(track)) == std::vector<std::size_t>{29},
           "the commit writes byte 29 of the file");
}

KAVELO_GUI_TEST(header_editor_failed_commit_reports_and_keeps_the_file) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> before = file_bytes(rom);
    HWND dialog = open_header_editor(app);
    SetFileAttributesA(rom.c_str(), FILE_ATTRIBUTE_READONLY);
    set_text(dialog_item(dialog, IDC_HEADER_SONG_TEMPO), "3");
    click_button(dialog_item(dialog, IDOK));
    HWND box = wait_dialog(app.process().pid(), "Error!");
    expect(box != nullptr, "a message box reports the failure");
    save_screenshot(box, "error");
    expect(find_child(box, "Static", "Error Commiting Header to ROM!") != nullptr, "its text");
    expect(answer_message_box(app.process().pid(), "Error!", "OK"), "OK closes it");
    wait_log_ends_with(app, "  * Writing changes to ROM\r\nError Commiting Header to ROM!\r\n");
    SetFileAttributesA(rom.c_str(), FILE_ATTRIBUTE_NORMAL);
    expect(file_bytes(rom) == before, "the file is intact");
    expect_equal(field(dialog, IDC_HEADER_SONG_TEMPO), "3", "the typed value stays");
}

KAVELO_GUI_TEST(header_editor_enter_commits_and_escape_closes) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_header_editor(app);
    HWND tempo = dialog_item(dialog, IDC_HEADER_SONG_TEMPO);
    set_text(tempo, "12");
    expect(bring_to_front(dialog), "the dialog comes to the front");
    click_window(tempo);
    const std::string before = app.log_text();
    press_chord({}, VK_RETURN);
    wait_commit_logged(app, before, written_line);
    expect_equal(file_bytes(rom)[kavelo::track_table[0].start + 5], 12,
                 "Enter committed the field");
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(dialog), "Escape closes the dialog");
}

} // namespace gui

namespace gui {

KAVELO_GUI_TEST(header_and_voice_editors_commit_into_their_own_tracks) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> original = file_bytes(rom);
    HWND voices = open_voice_editor(app);
    choose_track(app, voices, 2, nullptr);
    HWND header = open_header_editor(app);
    expect(IsWindowEnabled(voices) && IsWindowEnabled(app.main()), "both stay usable");
    user_picks(header, IDC_HEADER_TRACK_LIST, 9);
    const uint32_t header_start = kavelo::track_table[9].start;
    expect(wait_until([&] {
               return field(header, IDC_HEADER_SONG_TEMPO) ==
                      kavelo::format_header_byte(original[header_start + 5]);
           }),
           "the header editor shows track 9");
    save_screenshot(nullptr, "both-editors");

    // Interleaved: a header commit, a voice save, another track in each, and again.
    set_text(dialog_item(header, IDC_HEADER_SONG_TEMPO), "33");
    commit(app, header);
    user_picks(voices, op_control(4, IDC_OP1_TL), 66);
    save_to_rom(app, voices);
    user_picks(header, IDC_HEADER_TRACK_LIST, 4);
    choose_track(app, voices, 7, "&No");
    set_text(dialog_item(header, IDC_HEADER_FM1_KEY), "44");
    commit(app, header);
    user_picks(voices, op_control(1, IDC_OP1_MUL), 11);
    save_to_rom(app, voices);

    std::vector<std::size_t> expected{header_start + 5, kavelo::track_table[4].start + 12};
    const std::size_t slot2 = voice_slot(original, 2, 0);
    const std::size_t slot7 = voice_slot(original, 7, 0);
    const std::vector<uint8_t> after = file_bytes(rom);
    for (std::size_t offset : changed_offsets(original, after)) {
        const bool in_header = offset == expected[0] || offset == expected[1];
        const bool in_voice =
            (offset >= slot2 && offset < slot2 + 25) || (offset >= slot7 && offset < slot7 + 25);
        expect(in_header || in_voice, "byte " + std::to_string(offset) + " belongs to a commit");
    }
    expect_equal(after[header_start + 5], 33, "the header commit wrote track 9");
    expect_equal(after[kavelo::track_table[4].start + 12], 44, "then track 4");
    expect_equal(stored_voice(after, 2, 0)[21], 66, "the voice save wrote track 2");
    expect_equal(stored_voice(after, 7, 0)[4] & 0x0F, 11, "then track 7");
    click_button(dialog_item(header, IDCANCEL));
    expect(wait_gone(header), "the header editor closes");
}

} // namespace gui

namespace gui {

// The demo ROM's tracks of other shapes, as a user meets them: a sixth FM channel (track 8)
// and no PSG channel (track 17) in the Track Header Editor, 33 voices (track 16) in the
// Voice editor. Each commit writes only its own byte or slot.
KAVELO_GUI_TEST(header_and_voice_editors_follow_each_tracks_shape) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    const std::vector<uint8_t> original = file_bytes(rom);
    HWND dialog = open_header_editor(app);
    expect(!IsWindowEnabled(dialog_item(dialog, IDC_HEADER_FM6_KEY)),
           "track 0 has no sixth FM channel");
    expect_equal(field(dialog, IDC_HEADER_FM6_KEY), "", "its field is empty");
    expect_equal(window_text(dialog_item(dialog, IDC_HEADER_FM6_GROUP)), "Channel 6",
                 "the added group");

    // Track 8: 7 FM entries, so the PSG entries move 4 bytes on.
    user_picks(dialog, IDC_HEADER_TRACK_LIST, 8);
    const uint32_t start8 = kavelo::track_table[8].start;
    expect(wait_until([&] {
               return field(dialog, IDC_HEADER_FM6_KEY) ==
                      kavelo::format_header_byte(original[start8 + 32]);
           }),
           "FM channel 6 shows its key modifier");
    expect(IsWindowEnabled(dialog_item(dialog, IDC_HEADER_FM6_VOLUME)), "and is enabled");
    expect_equal(field(dialog, IDC_HEADER_PSG1_KEY),
                 kavelo::format_header_byte(original[start8 + 36]), "PSG 1 after the FM entries");
    save_screenshot(dialog, "track-8");
    set_text(dialog_item(dialog, IDC_HEADER_FM6_VOLUME), "77");
    set_text(dialog_item(dialog, IDC_HEADER_PSG3_VOLUME), "78");
    commit(app, dialog);
    std::vector<uint8_t> before = file_bytes(rom);
    expect(changed_offsets(original, before) == std::vector<std::size_t>{start8 + 33, start8 + 49},
           "FM 6 volume and PSG 3 volume land in track 8's own entries");

    // Track 17: no PSG entry; its channel data begins where PSG fields used to lie.
    user_picks(dialog, IDC_HEADER_TRACK_LIST, 17);
    const uint32_t start17 = kavelo::track_table[17].start;
    expect(wait_until([&] { return field(dialog, IDC_HEADER_PSG1_KEY).empty(); }),
           "PSG fields are empty");
    for (int id = IDC_HEADER_PSG1_KEY; id <= IDC_HEADER_PSG3_VOLUME; ++id) {
        expect(!IsWindowEnabled(dialog_item(dialog, id)), "PSG fields are disabled");
        expect_equal(field(dialog, id), "", "and empty");
    }
    expect(!IsWindowEnabled(dialog_item(dialog, IDC_HEADER_FM6_KEY)), "no sixth FM channel");
    expect_equal(field(dialog, IDC_HEADER_FM5_KEY),
                 kavelo::format_header_byte(original[start17 + 28]), "FM 5 as before");
    save_screenshot(dialog, "track-17");
    set_text(dialog_item(dialog, IDC_HEADER_FM5_KEY), "55");
    commit(app, dialog);
    expect(changed_offsets(before, file_bytes(rom)) == std::vector<std::size_t>{start17 + 28},
           "the commit leaves every byte of track 17's channel data");
    click_button(dialog_item(dialog, IDCANCEL));
    expect(wait_gone(dialog), "the header editor closes");

    // Track 16: all 33 voices are listed, and the last one saves into its own slot.
    before = file_bytes(rom);
    HWND voices = open_voice_editor(app);
    choose_track(app, voices, 16, nullptr);
    const std::vector<std::string> listed = combo_box_items(dialog_item(voices, IDC_VOICE_LIST));
    expect_equal(static_cast<long long>(listed.size()), 33, "voices listed");
    expect_equal(listed.back(), "Voice 32", "the last entry");
    choose_voice(app, voices, 32, nullptr);
    expect(displayed_voice(voices) == as_displayed(stored_voice(before, 16, 32)),
           "voice 32 is shown");
    save_screenshot(voices, "track-16");
    user_picks(voices, op_control(4, IDC_OP1_TL), 66);
    save_to_rom(app, voices);
    const std::size_t slot = voice_slot(before, 16, 32);
    for (std::size_t offset : changed_offsets(before, file_bytes(rom))) {
        expect(offset >= slot && offset < slot + 25,
               "byte " + std::to_string(offset) + " lies in voice 32's slot");
    }
    expect_equal(stored_voice(file_bytes(rom), 16, 32)[21], 66, "voice 32 saved");
}

} // namespace gui
