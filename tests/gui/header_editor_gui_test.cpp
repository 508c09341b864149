// The Track Header Editor: every field shown and committed into its own byte, Enter, and
// commits beside the Voice editor's into each one's own track.

#include "flows.h"

#include "header_editor/header_fields.h"
#include "rom/track_table.h"

namespace gui {

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
    const uint32_t start = track_start(0);
    const kavelo::track_header_layout layout =
        kavelo::header_layout(app.original[start + 2], app.original[start + 3]);
    expect(!IsWindowEnabled(header.item(IDC_HEADER_MUTE_FM1)), "Mute boxes are disabled");
    header.commit();
    expect(app.bytes() == app.original, "reading and committing leaves the file byte for byte");
    for (const kavelo::header_field& f : kavelo::header_fields) {
        const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout);
        expect_equal(header.field(f.control_id),
                     byte ? kavelo::format_header_byte(app.original[start + *byte]) : "",
                     std::string(f.name) + " shows its byte, or nothing");
        expect_equal(IsWindowEnabled(header.item(f.control_id)) != 0, byte.has_value(),
                     std::string(f.name) + " is enabled exactly when the header has its channel");
        if (byte) {
            const std::vector<uint8_t> before = app.bytes();
            header.type(f.control_id, before[start + *byte] == 201 ? "202" : "201");
            header.commit();
            expect(changed_offsets(before, app.bytes()) == std::vector{start + *byte},
                   std::string(f.name) + ": exactly its byte changes");
        }
    }
    header.close();
}

// Each editor commits into the track it shows; Enter in a field commits.
KAVELO_GUI_TEST(header_and_voice_editors_commit_into_each_tracks_own_bytes) {
    rom_session app;
    voice_editor voices(app, 2);
    header_editor header(app);
    header.pick_track(9);
    save_screenshot({}, "both-editors");
    header.type(IDC_HEADER_SONG_TEMPO, "33");
    expect(bring_to_front(header.dialog), "the Track Header Editor comes to the front");
    click_at(centre(header.item(IDC_HEADER_SONG_TEMPO)));
    const std::string log = app.log_text();
    press_chord({}, VK_RETURN);
    app.wait_commit_logged(log, "  * Header Edited successfully!\r\n");
    voices.pick(op_control(4, IDC_OP1_TL), 66);
    voices.save();
    const std::vector<uint8_t> before = app.bytes();
    expect_changes_within(app.original, before,
                          {{track_start(9) + 5, 1}, {voice_slot(app.original, 2, 0), 25}},
                          "each byte belongs to a commit");
    expect_equal(before[track_start(9) + 5], 33, "Enter committed the header of track 9");
    expect_equal(stored_voice(before, 2, 0)[21], 66, "the voice save wrote track 2");
    header.close();
}

} // namespace gui
